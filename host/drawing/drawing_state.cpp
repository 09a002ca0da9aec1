#include "drawing_state.h"

namespace host {

void resetDrawingState()
{
    clearSysColorOverrides();
    forgetTextLayouts();
}

} // namespace host
