// Program-wide state of the cube, every piece in one list:
//   - cubeClosed and keyPressed (frmmain.cpp): the cube window's module variables.
//   - the side folder (frmmain.cpp): a test and benchmark seam; ScopedSideFolder.
//   - the frame observer (frmmain.cpp): a benchmark and test seam; ScopedFrameObserver.
//   - SavedDisplayMode (modopengl.cpp): the display mode before the cube window.
//   - modeSetByProgram (modopengl.cpp): the display mode the program itself set, if any.
//   - the GL context of the cube window (modopengl.cpp): owned by the window's set-up and
//     release, never reset from outside.
// resetCubeState puts every resettable piece back as a fresh process has it, and resets
// the host layers below.
#pragma once

#include "frmmain.h"
#include "scopedseam.h"

using ScopedSideFolder = host::ScopedSeam<&frmMain::setSideFolder>;
using ScopedFrameObserver = host::ScopedSeam<&frmMain::setFrameObserver>;

void resetCubeState();
