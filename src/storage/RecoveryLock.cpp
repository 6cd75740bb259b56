#include "storage/RecoveryLock.h"

#include "storage/StorageError.h"

namespace orvale {

RecoveryLock::RecoveryLock(FileSystem& files, const StorePaths& paths) : files_(files) {
    // Where SQLite's pending, reserved and shared lock bytes start.
    constexpr off_t kLockBytes = 0x40000000;
    for (const std::filesystem::path& path : {paths.database, withSuffix(paths.database, "-shm")}) {
        if (!files_.exists(path)) continue;
        int descriptor = -1;
        try {
            descriptor = files_.openForLocking(path);
        } catch (const FileSystemError&) {
            release();
            throw StorageError::storageUnavailable(
                "Exclusive recovery access to the layout database could not be established. "
                "Close other apps using it, check file permissions, and try again.");
        }
        try {
            files_.lockRange(descriptor, kLockBytes, 512);
            files_.lockRange(descriptor, 0, 8);
        } catch (const FileSystemError&) {
            files_.closeDescriptor(descriptor);
            release();
            throw StorageError::storageUnavailable(
                "Another app has the layout database open. Close it or try again.");
        }
        descriptors_.push_back(descriptor);
    }
}

RecoveryLock::~RecoveryLock() {
    release();
}

void RecoveryLock::release() {
    for (int descriptor : descriptors_) files_.closeDescriptor(descriptor);
    descriptors_.clear();
}

}  // namespace orvale
