#include "cube_state.h"

#include "modopengl.h"
#include "windows_state.h"

void resetCubeState()
{
    host::resetWindowsState();
    cubeClosed = false;
    keyPressed.fill(false);
    frmMain::setSideFolder(QString());
    frmMain::setFrameObserver({});
    modOpenGL::SavedDisplayMode = {};
    modOpenGL::modeSetByProgram = {};
}
