#pragma once

#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "storage/FileSystem.h"

namespace orvale::testing {

// The real POSIX file system, except that chosen operations on chosen paths
// fail with a chosen error number (in the spirit of LevelDB's fault-injection
// environment). A rule matches an operation and a path whose file name
// contains `nameContains` (empty matches every path); it fails `times` calls
// (negative: every call) before it stops matching. Each failure is counted.
class FaultInjectingFileSystem final : public FileSystem {
  public:
    struct Rule {
        Operation operation;
        std::string nameContains;
        int error = EIO;
        int times = -1;
        int failures = 0;
    };

    // Adds a rule and returns its index, for `failures(index)`.
    std::size_t fail(Operation operation, std::string nameContains = {}, int error = EIO,
                     int times = -1) {
        rules_.push_back(Rule{operation, std::move(nameContains), error, times, 0});
        return rules_.size() - 1;
    }
    void clear() { rules_.clear(); }
    int failures(std::size_t rule) const { return rules_.at(rule).failures; }
    // How many calls each operation received.
    int calls(Operation operation) const {
        auto found = calls_.find(operation);
        return found == calls_.end() ? 0 : found->second;
    }

    bool exists(const std::filesystem::path& path) override { return real_.exists(path); }
    void createDirectories(const std::filesystem::path& path) override {
        check(Operation::createDirectories, path);
        real_.createDirectories(path);
    }
    void remove(const std::filesystem::path& path) override {
        check(Operation::remove, path);
        real_.remove(path);
    }
    void link(const std::filesystem::path& from, const std::filesystem::path& to) override {
        check(Operation::link, to);
        real_.link(from, to);
    }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        check(Operation::rename, to);
        real_.rename(from, to);
    }
    void copy(const std::filesystem::path& from, const std::filesystem::path& to) override {
        check(Operation::copy, to);
        real_.copy(from, to);
    }
    void writeFile(const std::filesystem::path& path, std::string_view data) override {
        check(Operation::writeFile, path);
        real_.writeFile(path, data);
    }
    void syncFile(const std::filesystem::path& path) override {
        check(Operation::syncFile, path);
        real_.syncFile(path);
    }
    void syncFolder(const std::filesystem::path& path) override {
        check(Operation::syncFolder, path);
        real_.syncFolder(path);
    }
    std::vector<std::string> list(const std::filesystem::path& folder) override {
        check(Operation::list, folder);
        return real_.list(folder);
    }
    int openForLocking(const std::filesystem::path& path) override {
        check(Operation::openForLocking, path);
        return real_.openForLocking(path);
    }
    void lockRange(int descriptor, off_t start, off_t length) override {
        check(Operation::lockRange, {});
        real_.lockRange(descriptor, start, length);
    }
    void closeDescriptor(int descriptor) override { real_.closeDescriptor(descriptor); }

  private:
    void check(Operation operation, const std::filesystem::path& path) {
        ++calls_[operation];
        for (Rule& rule : rules_) {
            if (rule.operation != operation || rule.times == 0) continue;
            if (path.filename().string().find(rule.nameContains) == std::string::npos) continue;
            if (rule.times > 0) --rule.times;
            ++rule.failures;
            // A failed writeFile reads as a file that could not be created.
            throw FileSystemError(operation == Operation::writeFile ? "creating" : "injected", path,
                                  rule.error);
        }
    }

    PosixFileSystem real_;
    std::vector<Rule> rules_;
    std::map<Operation, int> calls_;
};

}  // namespace orvale::testing
