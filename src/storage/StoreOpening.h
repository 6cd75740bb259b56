#pragma once

#include "storage/LayoutStore.h"

namespace orvale {

// LayoutStore::open, as a sequence of steps over the file system, the SQLite
// layer and LayoutStore's public constructor:
//  1. the store folder is created if missing;
//  2. the previous name's folder is adopted when there is no database yet
//     (StoreAdoption.h); still without one, an empty library is created;
//  3. a read-only probe reads the file's version: a newer one is refused and
//     left unchanged; then SQLite's quick check;
//  4. a current file must load strictly and pass the foreign-key check (a
//     failure that is not damage is raised and the file left as it is); what
//     was loaded is handed to the store for its first load; an older file is
//     first backed up (StoreBackup.h);
//  5. the live connection opens; an older file is checked, upgraded and
//     checked again;
//  6. damage found at any step hands over to recovery (StoreRecovery.h);
//  7. a reset still waiting for its backup gets it (StoreReset.h).
// Nothing else may touch the files while it runs. Throws StorageError (or
// SQLiteFailure for a failing check of a freshly created file).
StorageOpenResult openLayoutStore(const StorePaths& paths, StoreServices services);

}  // namespace orvale
