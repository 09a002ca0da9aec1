// Program-wide state of the StyleButton library, every piece in one list:
//   - whether the mouse-leave tracking calls are present (subclass.cpp): a test seam;
//     ScopedMouseTrackingCalls.
// The ambient user mode the control reads when it is made belongs to the host
// (windows_state.h). resetStyleButtonState puts it all back as a fresh process has it, and
// resets the host layers below.
#pragma once

#include "scopedseam.h"
#include "subclass.h"

using ScopedMouseTrackingCalls = host::ScopedSeam<&setMouseTrackingCallsPresent>;

void resetStyleButtonState();
