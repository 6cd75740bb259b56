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

ShimFile* shim(sqlite3_file* file) {
    return reinterpret_cast<ShimFile*>(file);
}

// SQLite's answer for a call the double fails (`code`, or SQLITE_BUSY for
// EBUSY), else SQLITE_OK.
int report(Op op, const char* name, int code, bool changesDisk = true) {
    FaultInjectingFileSystem* files = target.load();
    const int error = files && name ? files->check(op, name, changesDisk) : 0;
    return error == 0 ? SQLITE_OK : error == EBUSY ? SQLITE_BUSY : code;
}

DiskImage* image() {
    FaultInjectingFileSystem* files = target.load();
    return files ? files->image : nullptr;
}

// The io methods passed through to the wrapped file unchanged.
template <typename Method>
struct Pass;
template <typename R, typename... A>
struct Pass<R (*)(sqlite3_file*, A...)> {
    template <auto member>
    static R to(sqlite3_file* file, A... arguments) {
        return (shim(file)->real->pMethods->*member)(shim(file)->real, arguments...);
    }
};
template <typename Method>
Method methodType(Method sqlite3_io_methods::*);
using M = sqlite3_io_methods;
template <auto member>
constexpr auto pass = &Pass<decltype(methodType(member))>::template to<member>;

int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    if (const int rc = report(Op::sqliteWrite, shim(file)->name, SQLITE_IOERR_WRITE)) return rc;
    return pass<&M::xWrite>(file, data, amount, offset);
}

int truncate(sqlite3_file* file, sqlite3_int64 size) {
    if (const int rc = report(Op::sqliteTruncate, shim(file)->name, SQLITE_IOERR_TRUNCATE)) {
        return rc;
    }
    return pass<&M::xTruncate>(file, size);
}

// Only reported, never made: the tests model the disk, and a real flush costs
// milliseconds.
int sync(sqlite3_file* file, int) {
    ShimFile* s = shim(file);
    if (const int rc = report(Op::sqliteSync, s->name, SQLITE_IOERR_FSYNC)) return rc;
    if (s->name && image()) {
        image()->fileSynced(s->name);
        if (s->syncsFolder) image()->folderSynced(std::filesystem::path(s->name).parent_path());
    }
    s->syncsFolder = false;
    return SQLITE_OK;
}

const M kMethods = {3,
                    pass<&M::xClose>,
                    pass<&M::xRead>,
                    write,
                    truncate,
                    sync,
                    pass<&M::xFileSize>,
                    pass<&M::xLock>,
                    pass<&M::xUnlock>,
                    pass<&M::xCheckReservedLock>,
                    pass<&M::xFileControl>,
                    pass<&M::xSectorSize>,
                    pass<&M::xDeviceCharacteristics>,
                    pass<&M::xShmMap>,
                    pass<&M::xShmLock>,
                    pass<&M::xShmBarrier>,
                    pass<&M::xShmUnmap>,
                    pass<&M::xFetch>,
                    pass<&M::xUnfetch>};

int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    ShimFile* s = shim(file);
    s->real = reinterpret_cast<sqlite3_file*>(s + 1);
    s->name = name;
    const bool creating = name && (flags & SQLITE_OPEN_CREATE);
    s->syncsFolder =
        creating &&
        (flags & (SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_SUPER_JOURNAL | SQLITE_OPEN_WAL));
    const bool creates = creating && ::access(name, F_OK) != 0;
    file->pMethods = nullptr;
    if (const int rc = report(Op::sqliteOpen, name, SQLITE_CANTOPEN, creates)) return rc;
    const int rc = inner->xOpen(inner, name, s->real, flags, outFlags);
    // SQLite closes a file whose methods are set, even after a failed open.
    if (s->real->pMethods) file->pMethods = &kMethods;
    if (rc == SQLITE_OK && creates && image()) image()->created(name);
    return rc;
}

int remove(sqlite3_vfs*, const char* name, int syncFolder) {
    if (const int rc = report(Op::sqliteDelete, name, SQLITE_IOERR_DELETE)) return rc;
    if (image()) image()->removing(name);
    const int rc = inner->xDelete(inner, name, syncFolder);
    if (rc == SQLITE_OK && syncFolder && image()) {
        image()->folderSynced(std::filesystem::path(name).parent_path());
    }
    return rc;
}

}  // namespace

SQLiteDiskShim::SQLiteDiskShim(FaultInjectingFileSystem& files) {
    // The other calls reach the wrapped VFS's own functions, which read nothing
    // from the VFS they are given but what this copy keeps.
    static sqlite3_vfs vfs = [] {
        inner = sqlite3_vfs_find(nullptr);
        sqlite3_vfs copy = *inner;
        copy.pNext = nullptr;
        copy.zName = "orvale-disk-shim";
        copy.szOsFile = static_cast<int>(sizeof(ShimFile)) + inner->szOsFile;
        copy.xOpen = open;
        copy.xDelete = remove;
        return copy;
    }();
    static const int registered = sqlite3_vfs_register(&vfs, 1);
    (void)registered;
    target.store(&files);
}

SQLiteDiskShim::~SQLiteDiskShim() {
    target.store(nullptr);
}

}  // namespace orvale::testing
