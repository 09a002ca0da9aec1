#include "stylebutton_state.h"

#include "windows_state.h"

void resetStyleButtonState()
{
    host::resetWindowsState();
    setMouseTrackingCallsPresent(true);
}
