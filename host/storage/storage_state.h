// Program-wide state of the storage layer, every piece in one list:
//   - the open settings stores (settingsstore.cpp): one per application name, each with
//     what was wrong with its file when opened; the config folder they were opened for and
//     the count of open batches.
// resetStorageState forgets them, as a fresh process would start.
#pragma once

namespace host {

void resetStorageState();

} // namespace host
