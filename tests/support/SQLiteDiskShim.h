#pragma once

#include "support/FaultInjectingFileSystem.h"

namespace orvale::testing {

// Routes SQLite's file I/O through a FaultInjectingFileSystem while it lives.
// SQLite's writes do not go through the store's FileSystem, so a VFS wrapping
// SQLite's default one becomes the default (once per process; it passes
// everything through while no shim lives) and reports each open, write,
// truncation, flush and deletion of a named file to `files`: its rules and
// `beforeChange` can fail them (an error number becomes SQLite's I/O error for
// the call, EBUSY becomes SQLITE_BUSY), and its DiskImage learns what is on
// disk, including the folder flushes SQLite makes for new journals. Flushes are
// only reported, never made: nothing in the tests needs the real disk to
// survive a power loss. One shim at a time.
class SQLiteDiskShim {
  public:
    explicit SQLiteDiskShim(FaultInjectingFileSystem& files);
    ~SQLiteDiskShim();
    SQLiteDiskShim(const SQLiteDiskShim&) = delete;
    SQLiteDiskShim& operator=(const SQLiteDiskShim&) = delete;
};

}  // namespace orvale::testing
