// Program-wide state of the picker's library, every piece in one list:
//   - the cube factory (form1.cpp): a test seam; ScopedCubeFactory.
//   - which start-up warm-ups have run, and whether the GL driver's loading was started
//     (startup.cpp): resetWarmUps, which waits for a loading under way.
// Below it: cube_state.h, stylebutton_state.h and the host's layers. resetAppState resets
// all of them, as a fresh process has them.
#pragma once

#include "form1.h"
#include "scopedseam.h"

using ScopedCubeFactory = host::ScopedSeam<&Form1::setCubeFactory>;

void resetAppState();
