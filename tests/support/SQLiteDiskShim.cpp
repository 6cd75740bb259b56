#include "support/SQLiteDiskShim.h"

#include <sqlite3.h>
#include <unistd.h>

#include <atomic>

namespace orvale::testing {
namespace {

std::atomic<FaultInjectingFileSystem*> target{nullptr};
sqlite3_vfs* inner = nullptr;  // the default VFS this one wraps

struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;  // allocated right behind this struct
    const char* name;    // SQLite keeps it alive until the file is closed
    bool syncsFolder;    // as SQLite's unix VFS does on a new journal's first flush
};

sqlite3_file* real(sqlite3_file* file) {
    return reinterpret_cast<ShimFile*>(file)->real;
}

std::filesystem::path folderOf(const char* name) {
    return std::filesystem::path(name).parent_path();
}

// SQLite's answer for a change the file system double fails, or SQLITE_OK.
int report(Op op, const char* name, int code, bool changesDisk = true) {
    FaultInjectingFileSystem* files = target.load();
    if (!files || !name) return SQLITE_OK;
    const int error = files->check(op, name, changesDisk);
    if (error == 0) return SQLITE_OK;
    return error == EBUSY ? SQLITE_BUSY : code;
}

DiskImage* image() {
    FaultInjectingFileSystem* files = target.load();
    return files ? files->image : nullptr;
}

int fileClose(sqlite3_file* file) {
    return real(file)->pMethods->xClose(real(file));
}
int fileRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    return real(file)->pMethods->xRead(real(file), buffer, amount, offset);
}
int fileWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    const auto* shim = reinterpret_cast<ShimFile*>(file);
    if (const int rc = report(Op::sqliteWrite, shim->name, SQLITE_IOERR_WRITE)) return rc;
    return real(file)->pMethods->xWrite(real(file), data, amount, offset);
}
int fileTruncate(sqlite3_file* file, sqlite3_int64 size) {
    const auto* shim = reinterpret_cast<ShimFile*>(file);
    if (const int rc = report(Op::sqliteTruncate, shim->name, SQLITE_IOERR_TRUNCATE)) return rc;
    return real(file)->pMethods->xTruncate(real(file), size);
}
int fileSync(sqlite3_file* file, int) {
    auto* shim = reinterpret_cast<ShimFile*>(file);
    if (const int rc = report(Op::sqliteSync, shim->name, SQLITE_IOERR_FSYNC)) return rc;
    // The flush is only reported: the tests model the disk, and a real one
    // costs milliseconds.
    if (shim->name && image()) {
        image()->fileSynced(shim->name);
        if (shim->syncsFolder) image()->folderSynced(folderOf(shim->name));
    }
    shim->syncsFolder = false;
    return SQLITE_OK;
}
int fileGetSize(sqlite3_file* file, sqlite3_int64* size) {
    return real(file)->pMethods->xFileSize(real(file), size);
}
int fileLock(sqlite3_file* file, int level) {
    return real(file)->pMethods->xLock(real(file), level);
}
int fileUnlock(sqlite3_file* file, int level) {
    return real(file)->pMethods->xUnlock(real(file), level);
}
int fileCheckReservedLock(sqlite3_file* file, int* result) {
    return real(file)->pMethods->xCheckReservedLock(real(file), result);
}
int fileControl(sqlite3_file* file, int op, void* argument) {
    return real(file)->pMethods->xFileControl(real(file), op, argument);
}
int fileSectorSize(sqlite3_file* file) {
    return real(file)->pMethods->xSectorSize(real(file));
}
int fileDeviceCharacteristics(sqlite3_file* file) {
    return real(file)->pMethods->xDeviceCharacteristics(real(file));
}
int fileShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory) {
    return real(file)->pMethods->xShmMap(real(file), region, size, extend, memory);
}
int fileShmLock(sqlite3_file* file, int offset, int count, int flags) {
    return real(file)->pMethods->xShmLock(real(file), offset, count, flags);
}
void fileShmBarrier(sqlite3_file* file) {
    real(file)->pMethods->xShmBarrier(real(file));
}
int fileShmUnmap(sqlite3_file* file, int deleteFlag) {
    return real(file)->pMethods->xShmUnmap(real(file), deleteFlag);
}
int fileFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** pointer) {
    return real(file)->pMethods->xFetch(real(file), offset, amount, pointer);
}
int fileUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* pointer) {
    return real(file)->pMethods->xUnfetch(real(file), offset, pointer);
}

const sqlite3_io_methods kMethods = {
    3,
    fileClose,
    fileRead,
    fileWrite,
    fileTruncate,
    fileSync,
    fileGetSize,
    fileLock,
    fileUnlock,
    fileCheckReservedLock,
    fileControl,
    fileSectorSize,
    fileDeviceCharacteristics,
    fileShmMap,
    fileShmLock,
    fileShmBarrier,
    fileShmUnmap,
    fileFetch,
    fileUnfetch,
};

int vfsOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* shim = reinterpret_cast<ShimFile*>(file);
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    shim->name = name;
    const bool creating = name && (flags & SQLITE_OPEN_CREATE);
    shim->syncsFolder =
        creating &&
        (flags & (SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_SUPER_JOURNAL | SQLITE_OPEN_WAL));
    const bool creates = creating && ::access(name, F_OK) != 0;
    file->pMethods = nullptr;
    if (const int rc = report(Op::sqliteOpen, name, SQLITE_CANTOPEN, creates)) return rc;
    const int rc = inner->xOpen(inner, name, shim->real, flags, outFlags);
    // SQLite closes a file whose methods are set, even after a failed open.
    if (shim->real->pMethods) file->pMethods = &kMethods;
    if (rc == SQLITE_OK && creates && image()) image()->created(name);
    return rc;
}

int vfsRemove(sqlite3_vfs*, const char* name, int syncFolder) {
    if (const int rc = report(Op::sqliteDelete, name, SQLITE_IOERR_DELETE)) return rc;
    if (image()) image()->removing(name);
    const int rc = inner->xDelete(inner, name, syncFolder);
    if (rc == SQLITE_OK && syncFolder && image()) image()->folderSynced(folderOf(name));
    return rc;
}

int vfsAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
    return inner->xAccess(inner, name, flags, result);
}
int vfsFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return inner->xFullPathname(inner, name, size, out);
}
void* vfsDlOpen(sqlite3_vfs*, const char* name) {
    return inner->xDlOpen(inner, name);
}
void vfsDlError(sqlite3_vfs*, int size, char* message) {
    inner->xDlError(inner, size, message);
}
void (*vfsDlSym(sqlite3_vfs*, void* library, const char* symbol))(void) {
    return inner->xDlSym(inner, library, symbol);
}
void vfsDlClose(sqlite3_vfs*, void* library) {
    inner->xDlClose(inner, library);
}
int vfsRandomness(sqlite3_vfs*, int size, char* out) {
    return inner->xRandomness(inner, size, out);
}
int vfsSleep(sqlite3_vfs*, int microseconds) {
    return inner->xSleep(inner, microseconds);
}
int vfsCurrentTime(sqlite3_vfs*, double* now) {
    return inner->xCurrentTime(inner, now);
}
int vfsLastError(sqlite3_vfs*, int size, char* message) {
    return inner->xGetLastError(inner, size, message);
}
int vfsCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
    return inner->xCurrentTimeInt64(inner, now);
}

sqlite3_vfs* shimVfs() {
    static sqlite3_vfs vfs = [] {
        inner = sqlite3_vfs_find(nullptr);
        sqlite3_vfs made{};
        made.iVersion = 2;
        made.szOsFile = static_cast<int>(sizeof(ShimFile)) + inner->szOsFile;
        made.mxPathname = inner->mxPathname;
        made.zName = "orvale-disk-shim";
        made.xOpen = vfsOpen;
        made.xDelete = vfsRemove;
        made.xAccess = vfsAccess;
        made.xFullPathname = vfsFullPathname;
        made.xDlOpen = vfsDlOpen;
        made.xDlError = vfsDlError;
        made.xDlSym = vfsDlSym;
        made.xDlClose = vfsDlClose;
        made.xRandomness = vfsRandomness;
        made.xSleep = vfsSleep;
        made.xCurrentTime = vfsCurrentTime;
        made.xGetLastError = vfsLastError;
        made.xCurrentTimeInt64 = vfsCurrentTimeInt64;
        return made;
    }();
    return &vfs;
}

}  // namespace

SQLiteDiskShim::SQLiteDiskShim(FaultInjectingFileSystem& files) {
    static const int registered = sqlite3_vfs_register(shimVfs(), 1);
    (void)registered;
    target.store(&files);
}

SQLiteDiskShim::~SQLiteDiskShim() {
    target.store(nullptr);
}

}  // namespace orvale::testing
