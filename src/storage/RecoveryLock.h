#pragma once

#include <vector>

#include "storage/FileSystem.h"
#include "storage/StorePaths.h"

namespace orvale {

// Exclusive advisory record locks on SQLite's own lock bytes of the database
// and of its shared-memory file, so that no other process uses the files while
// recovery moves them. Held from construction until destruction (descriptors
// closed). Never blocks: a lock another process holds is
// StorageError::storageUnavailable("Another app has the layout database open.
// Close it or try again."); a file that cannot be opened for locking is
// storageUnavailable("Exclusive recovery access … could not be established. …").
class RecoveryLock {
  public:
    RecoveryLock(FileSystem& files, const StorePaths& paths);
    ~RecoveryLock();
    RecoveryLock(const RecoveryLock&) = delete;
    RecoveryLock& operator=(const RecoveryLock&) = delete;

  private:
    void release();

    FileSystem& files_;
    std::vector<int> descriptors_;
};

}  // namespace orvale
