#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace orvale::testing {

// What a disk would hold after a power loss, for the files under one folder
// (in the manner of LevelDB's fault-injection test): a file's bytes as of its
// last flush (empty if never flushed), a folder's entries (creations, renames,
// links and deletions) as of that folder's last flush. Files are told apart by
// inode, so hard links share their bytes. It is told about every change by
// FaultInjectingFileSystem and the SQLite shim; anything else it does not see.
class DiskImage {
  public:
    // Everything under `root` is on disk as it is now.
    explicit DiskImage(std::filesystem::path root);

    void created(const std::filesystem::path& path);   // a new file or folder
    void removing(const std::filesystem::path& path);  // about to be deleted or replaced
    void fileSynced(const std::filesystem::path& path);
    void folderSynced(const std::filesystem::path& folder);

    // Replaces everything under the root with what the disk would hold after a
    // power loss now. The image is spent afterwards.
    void losePower();

  private:
    struct Node {
        bool folder = false;
        std::optional<std::string> bytes;
    };
    using Entries = std::map<std::string, std::shared_ptr<Node>>;

    std::shared_ptr<Node> nodeAt(const std::filesystem::path& path, bool fresh = false);
    void restore(const std::filesystem::path& folder,
                 std::map<const Node*, std::filesystem::path>& written);

    std::filesystem::path root_;
    std::map<ino_t, std::shared_ptr<Node>> nodes_;      // the files there are now
    std::map<std::filesystem::path, Entries> flushed_;  // each folder as last flushed
};

}  // namespace orvale::testing
