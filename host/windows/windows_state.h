// Program-wide state of the windows layer, every piece in one list:
//   - the End handler (hostapp.cpp): a test seam; ScopedEndHandler.
//   - the message box handler (msgbox.cpp): a test seam; ScopedMsgBoxHandler.
//   - the theme switch (theme.cpp): a test seam; ScopedThemeAvailable.
//   - the ambient user mode (controlhost.cpp): a test and tool seam; ScopedAmbientUserMode.
//   - the swap interval of new GL windows (glform.cpp): a benchmark seam; ScopedSwapInterval.
//   - the cursor display count (displaymode.cpp).
//   - the count of loaded window objects (hostform.cpp): follows the objects themselves,
//     never reset.
//   - whether the GL driver was preloaded (glform.cpp): once per process, never reset.
//   - the steps End takes before leaving (hostapp.cpp): added by main for the whole run,
//     never reset.
//   - the program folder (hostapp.cpp): chosen once per process, from where the executable
//     is and whether it may write there, never reset.
// resetWindowsState puts every resettable piece back as a fresh process has it, and resets
// the drawing and storage layers below.
#pragma once

#include "controlhost.h"
#include "glform.h"
#include "hostapp.h"
#include "msgbox.h"
#include "scopedseam.h"
#include "theme.h"

namespace host {

using ScopedEndHandler = ScopedSeam<&setEndHandler>;
using ScopedMsgBoxHandler = ScopedSeam<&setMsgBoxHandler>;
using ScopedThemeAvailable = ScopedSeam<&setThemeAvailable>;
using ScopedAmbientUserMode = ScopedSeam<&ControlHost::setAmbientUserMode>;
using ScopedSwapInterval = ScopedSeam<&GlForm::setSwapInterval>;

void resetWindowsState();

} // namespace host
