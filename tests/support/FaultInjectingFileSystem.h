#pragma once

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "storage/FileSystem.h"
#include "support/DiskImage.h"

namespace orvale::testing {

// The store's file-system calls that can be made to fail, and SQLite's file
// I/O as SQLiteDiskShim reports it.
enum class Op {
    createDirectories,
    remove,
    link,
    rename,
    copy,
    writeFile,
    syncFile,
    syncFolder,
    openForLocking,
    sqliteOpen,
    sqliteWrite,
    sqliteTruncate,
    sqliteSync,
    sqliteDelete
};

// The real POSIX file system, except that chosen operations on chosen paths
// fail with a chosen error number (in the spirit of LevelDB's fault-injection
// environment), and that every change to the disk can be counted, failed or
// watched. Flushes are only checked and reported to the DiskImage: nothing in
// the tests needs the real disk to survive a power loss. Single-threaded.
class FaultInjectingFileSystem final : public FileSystem {
  public:
    // Fails every `op` on paths whose file name contains `name` (empty: every
    // path) with `error`.
    void fail(Op op, std::string name = {}, int error = EIO) {
        rules_.push_back(Rule{op, std::move(name), error});
    }
    void clear() { rules_.clear(); }
    int changes() const { return changes_; }

    // Asked before each change to the disk (every operation but listing,
    // locking and opening an existing file) with its running number from 1;
    // an error number fails the change.
    std::function<int(int change, Op op, const std::filesystem::path& path)> beforeChange;
    // Told about every creation, deletion and flush when set.
    DiskImage* image = nullptr;

    // Counts `op` on `path`; the error number it must fail with, or 0.
    int check(Op op, const std::filesystem::path& path, bool changesDisk) {
        changes_ += changesDisk ? 1 : 0;
        if (changesDisk && beforeChange) {
            if (const int error = beforeChange(changes_, op, path)) return error;
        }
        for (const Rule& rule : rules_) {
            if (rule.op == op && path.filename().string().find(rule.name) != std::string::npos) {
                return rule.error;
            }
        }
        return 0;
    }

    bool exists(const std::filesystem::path& path) override { return real_.exists(path); }
    void createDirectories(const std::filesystem::path& path) override {
        guard(Op::createDirectories, path);
        std::vector<std::filesystem::path> made;
        for (auto p = path; !p.empty() && !real_.exists(p); p = p.parent_path()) made.push_back(p);
        real_.createDirectories(path);
        for (auto p = made.rbegin(); image && p != made.rend(); ++p) image->created(*p);
    }
    void remove(const std::filesystem::path& path) override {
        guard(Op::remove, path);
        if (image) image->removing(path);
        real_.remove(path);
    }
    void link(const std::filesystem::path& from, const std::filesystem::path& to) override {
        guard(Op::link, to);
        real_.link(from, to);
    }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        guard(Op::rename, to);
        if (image) image->removing(to);
        real_.rename(from, to);
    }
    void copy(const std::filesystem::path& from, const std::filesystem::path& to) override {
        guard(Op::copy, to);
        real_.copy(from, to);
        flushedNew(to);
    }
    void writeFile(const std::filesystem::path& path, std::string_view data) override {
        guard(Op::writeFile, path);
        real_.writeFile(path, data);
        flushedNew(path);
    }
    void syncFile(const std::filesystem::path& path) override {
        guard(Op::syncFile, path);
        if (!real_.exists(path)) throw FileSystemError("opening", path, ENOENT);
        if (image) image->fileSynced(path);
    }
    void syncFolder(const std::filesystem::path& path) override {
        guard(Op::syncFolder, path);
        if (!real_.exists(path)) throw FileSystemError("opening the folder", path, ENOENT);
        if (image) image->folderSynced(path);
    }
    std::vector<std::string> list(const std::filesystem::path& folder) override {
        return real_.list(folder);
    }
    int openForLocking(const std::filesystem::path& path) override {
        guard(Op::openForLocking, path, false);
        return real_.openForLocking(path);
    }
    void lockRange(int descriptor, off_t start, off_t length) override {
        real_.lockRange(descriptor, start, length);
    }
    void closeDescriptor(int descriptor) override { real_.closeDescriptor(descriptor); }

  private:
    struct Rule {
        Op op;
        std::string name;
        int error;
    };

    void guard(Op op, const std::filesystem::path& path, bool changesDisk = true) {
        // A failed writeFile reads as a file that could not be created.
        if (const int error = check(op, path, changesDisk)) {
            throw FileSystemError(op == Op::writeFile ? "creating" : "injected", path, error);
        }
    }
    // Both writeFile and copy flush the new file before closing it.
    void flushedNew(const std::filesystem::path& path) {
        if (image) image->created(path);
        if (image) image->fileSynced(path);
    }

    PosixFileSystem real_;
    std::vector<Rule> rules_;
    int changes_ = 0;
};

}  // namespace orvale::testing
