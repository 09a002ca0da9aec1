#include "windows_state.h"

#include "displaymode.h"
#include "drawing_state.h"
#include "storage_state.h"

namespace host {

void resetWindowsState()
{
    resetDrawingState();
    resetStorageState();
    setEndHandler({});
    setMsgBoxHandler({});
    setThemeAvailable(true);
    ControlHost::setAmbientUserMode(true);
    GlForm::setSwapInterval(1);
    // Back to 0 through ShowCursor itself, so the cursor is shown again as well.
    int count = ShowCursor(true);
    while (count < 0)
        count = ShowCursor(true);
    while (count > 0)
        count = ShowCursor(false);
}

} // namespace host
