#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvale {

// A file operation failed. `what()` is the system's text for the error number
// (strerror), which is the "platform's description" the storage texts embed;
// `step` and `path` say which operation on which file.
class FileSystemError : public std::runtime_error {
  public:
    FileSystemError(std::string step, std::filesystem::path path, int error);

    const std::string& step() const { return step_; }
    const std::filesystem::path& path() const { return path_; }
    int error() const { return error_; }

  private:
    std::string step_;
    std::filesystem::path path_;
    int error_;
};

// The file operations the store and the preferences file need, so that tests
// can make any of them fail (see FaultInjectingFileSystem). Every failing
// operation throws FileSystemError; nothing fails silently unless the caller
// chooses to ignore it.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Whether anything (file, folder, link) is at `path`. Never fails.
    virtual bool exists(const std::filesystem::path& path) = 0;
    // Creates the folder and any missing parents; an existing folder is fine.
    virtual void createDirectories(const std::filesystem::path& path) = 0;
    // Deletes a file (not a folder).
    virtual void remove(const std::filesystem::path& path) = 0;
    // Makes `to` a hard link to `from`; `to` must not exist.
    virtual void link(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Atomically renames `from` to `to`, replacing `to` when it exists.
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Copies the contents of a file into a new file `to` (which must not exist),
    // flushed to disk.
    virtual void copy(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Creates `path` (which must not exist), writes `data`, flushes it to disk
    // and closes it. The error's step is "creating", "writing", "flushing" or
    // "closing".
    virtual void writeFile(const std::filesystem::path& path, std::string_view data) = 0;
    // Opens a file, flushes it to disk and closes it.
    virtual void syncFile(const std::filesystem::path& path) = 0;
    // Opens a folder read-only, flushes its entries to disk and closes it.
    virtual void syncFolder(const std::filesystem::path& path) = 0;
    // The names (last components) of the entries of a folder.
    virtual std::vector<std::string> list(const std::filesystem::path& folder) = 0;

    // Advisory record locks. `openForLocking` opens a file read-write and
    // returns its descriptor; `lockRange` takes a non-blocking exclusive
    // (write) record lock on [start, start + length) and fails with EAGAIN or
    // EACCES when another process holds a conflicting lock; `closeDescriptor`
    // closes the descriptor, which drops its locks.
    virtual int openForLocking(const std::filesystem::path& path) = 0;
    virtual void lockRange(int descriptor, off_t start, off_t length) = 0;
    virtual void closeDescriptor(int descriptor) = 0;
};

// The real file system through POSIX calls.
class PosixFileSystem final : public FileSystem {
  public:
    bool exists(const std::filesystem::path& path) override;
    void createDirectories(const std::filesystem::path& path) override;
    void remove(const std::filesystem::path& path) override;
    void link(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void copy(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void writeFile(const std::filesystem::path& path, std::string_view data) override;
    void syncFile(const std::filesystem::path& path) override;
    void syncFolder(const std::filesystem::path& path) override;
    std::vector<std::string> list(const std::filesystem::path& folder) override;
    int openForLocking(const std::filesystem::path& path) override;
    void lockRange(int descriptor, off_t start, off_t length) override;
    void closeDescriptor(int descriptor) override;
};

// The process-wide POSIX file system.
std::shared_ptr<FileSystem> posixFileSystem();

// Replaces the file at `path` with `data` durably: a temporary file
// `path` + ".tmp-" + new UUID beside it is written and flushed, renamed over
// `path` (atomic replace), and the folder flushed. The temporary file is
// deleted on every path out. Failures are thrown as the file system reports
// them; a failure to flush the folder is reported only when
// `folderFlushMustSucceed` (the file itself is already in place by then).
void writeDurably(FileSystem& fileSystem, std::string_view data, const std::filesystem::path& path,
                  bool folderFlushMustSucceed = false);

}  // namespace orvale
