#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "support/TemporaryFolder.h"

namespace orvale::testing {

// What a disk would hold after a power loss, for the files under one folder
// (in the manner of LevelDB's fault-injection test): a file's bytes as of its
// last flush (empty if never flushed), a folder's entries (creations, renames,
// links and deletions) as of that folder's last flush. Files are told apart by
// inode, so hard links share their bytes. FaultInjectingFileSystem and the
// SQLite shim tell it about every change; it sees nothing else.
class DiskImage {
  public:
    // Everything under `root` is on disk as it is now.
    explicit DiskImage(std::filesystem::path root) : root_(std::move(root)) {
        folderSynced(root_);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
            entry.is_directory() ? folderSynced(entry.path()) : fileSynced(entry.path());
        }
    }

    void created(const std::filesystem::path& path) { node(path, true); }
    // About to be deleted or replaced: its inode number may come back for a new file.
    void removing(const std::filesystem::path& path) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && info.st_nlink <= 1) nodes_.erase(info.st_ino);
    }
    void fileSynced(const std::filesystem::path& path) {
        // SQLite rebuilds its shared-memory index and never flushes it.
        if (auto n = node(path); n && !path.string().ends_with("-shm")) n->bytes = readFile(path);
    }
    void folderSynced(const std::filesystem::path& folder) {
        Entries& entries = flushed_[folder] = {};
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            entries[entry.path().filename()] = node(entry.path());
        }
    }

    // Replaces everything under the root with what the disk would hold after a
    // power loss now. The image is spent afterwards.
    void losePower() {
        for (const auto& entry : std::filesystem::directory_iterator(root_)) {
            std::filesystem::remove_all(entry.path());
        }
        std::map<const Node*, std::filesystem::path> written;
        restore(root_, written);
    }

  private:
    struct Node {
        bool folder = false;
        std::optional<std::string> bytes;
    };
    using Entries = std::map<std::string, std::shared_ptr<Node>>;

    std::shared_ptr<Node> node(const std::filesystem::path& path, bool fresh = false) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) return nullptr;
        std::shared_ptr<Node>& node = nodes_[info.st_ino];
        if (!node || fresh)
            node = std::make_shared<Node>(Node{S_ISDIR(info.st_mode), std::nullopt});
        return node;
    }

    void restore(const std::filesystem::path& folder,
                 std::map<const Node*, std::filesystem::path>& written) {
        for (const auto& [name, node] : flushed_[folder]) {
            const std::filesystem::path path = folder / name;
            if (node->folder) {
                std::filesystem::create_directory(path);
                restore(path, written);
            } else if (written.contains(node.get())) {
                std::filesystem::create_hard_link(written[node.get()], path);
            } else {
                writeFile(path, node->bytes.value_or(""));
                written[node.get()] = path;
            }
        }
    }

    std::filesystem::path root_;
    std::map<ino_t, std::shared_ptr<Node>> nodes_;      // the files there are now
    std::map<std::filesystem::path, Entries> flushed_;  // each folder as last flushed
};

}  // namespace orvale::testing
