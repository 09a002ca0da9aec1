#include "storage_state.h"

#include "settingsstore.h"

namespace host {

void resetStorageState()
{
    SettingsStore::reset();
}

} // namespace host
