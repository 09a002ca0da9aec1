#include "app_state.h"

#include "cube_state.h"
#include "startup.h"
#include "stylebutton_state.h"

void resetAppState()
{
    resetCubeState();
    resetStyleButtonState();
    Form1::setCubeFactory({});
    app::resetWarmUps();
}
