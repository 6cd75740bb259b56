#include "storage/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "model/Uuid.h"

namespace orvale {
namespace {

[[noreturn]] void fail(const char* step, const std::filesystem::path& path, int error) {
    throw FileSystemError(step, path, error);
}

// Closes a descriptor on every path out of a scope.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int value) : fd(value) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    // Closes now, reporting the result.
    int close() {
        const int result = ::close(fd);
        fd = -1;
        return result;
    }
};

void writeAll(int fd, const char* data, std::size_t size, const std::filesystem::path& path) {
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("writing", path, errno);
        written += static_cast<std::size_t>(n);
    }
}

}  // namespace

FileSystemError::FileSystemError(std::string step, std::filesystem::path path, int error)
    : std::runtime_error(std::strerror(error)),
      step_(std::move(step)),
      path_(std::move(path)),
      error_(error) {}

bool PosixFileSystem::exists(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

void PosixFileSystem::createDirectories(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) fail("creating the folder", path, error.value());
    if (!std::filesystem::is_directory(path, error)) fail("creating the folder", path, ENOTDIR);
}

void PosixFileSystem::remove(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0) fail("deleting", path, errno);
}

void PosixFileSystem::link(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::link(from.c_str(), to.c_str()) != 0) fail("linking", to, errno);
}

void PosixFileSystem::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) fail("renaming", from, errno);
}

void PosixFileSystem::copy(const std::filesystem::path& from, const std::filesystem::path& to) {
    Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.fd < 0) fail("opening", from, errno);
    Descriptor destination(
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (destination.fd < 0) fail("creating", to, errno);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(source.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("reading", from, errno);
        if (n == 0) break;
        writeAll(destination.fd, buffer, static_cast<std::size_t>(n), to);
    }
    if (::fsync(destination.fd) != 0) fail("flushing", to, errno);
    if (destination.close() != 0) fail("closing", to, errno);
}

void PosixFileSystem::writeFile(const std::filesystem::path& path, std::string_view data) {
    Descriptor file(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (file.fd < 0) fail("creating", path, errno);
    writeAll(file.fd, data.data(), data.size(), path);
    if (::fsync(file.fd) != 0) fail("flushing", path, errno);
    if (file.close() != 0) fail("closing", path, errno);
}

void PosixFileSystem::syncFile(const std::filesystem::path& path) {
    Descriptor file(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (file.fd < 0) fail("opening", path, errno);
    if (::fsync(file.fd) != 0) fail("flushing", path, errno);
    if (file.close() != 0) fail("closing", path, errno);
}

void PosixFileSystem::syncFolder(const std::filesystem::path& path) {
    Descriptor folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd < 0) fail("opening the folder", path, errno);
    if (::fsync(folder.fd) != 0) fail("flushing the folder", path, errno);
}

std::vector<std::string> PosixFileSystem::list(const std::filesystem::path& folder) {
    DIR* directory = ::opendir(folder.c_str());
    if (!directory) fail("listing", folder, errno);
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
        errno = 0;
    }
    const int error = errno;
    ::closedir(directory);
    if (error != 0) fail("listing", folder, error);
    return names;
}

int PosixFileSystem::openForLocking(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) fail("opening", path, errno);
    return fd;
}

void PosixFileSystem::lockRange(int descriptor, off_t start, off_t length) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    if (::fcntl(descriptor, F_SETLK, &lock) != 0) fail("locking", {}, errno);
}

void PosixFileSystem::closeDescriptor(int descriptor) {
    ::close(descriptor);
}

std::shared_ptr<FileSystem> posixFileSystem() {
    static const std::shared_ptr<FileSystem> shared = std::make_shared<PosixFileSystem>();
    return shared;
}

void writeDurably(FileSystem& fileSystem, std::string_view data, const std::filesystem::path& path,
                  bool folderFlushMustSucceed) {
    const std::filesystem::path folder = path.parent_path();
    const std::filesystem::path temporary =
        folder / (path.filename().string() + ".tmp-" + Uuid::generate().text());
    auto discardTemporary = [&] {
        if (!fileSystem.exists(temporary)) return;
        try {
            fileSystem.remove(temporary);
        } catch (const FileSystemError&) {
        }
    };
    try {
        fileSystem.writeFile(temporary, data);
        fileSystem.rename(temporary, path);
    } catch (...) {
        discardTemporary();
        throw;
    }
    try {
        fileSystem.syncFolder(folder);
    } catch (const FileSystemError&) {
        if (folderFlushMustSucceed) throw;
    }
}

}  // namespace orvale
