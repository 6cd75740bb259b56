#include "support/DiskImage.h"

#include <sys/stat.h>

#include <vector>

#include "support/TemporaryFolder.h"

namespace orvale::testing {

namespace fs = std::filesystem;

DiskImage::DiskImage(fs::path root) : root_(std::move(root)) {
    std::vector<fs::path> folders{root_};
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
        if (entry.is_directory()) {
            folders.push_back(entry.path());
        } else {
            fileSynced(entry.path());
        }
    }
    for (const fs::path& folder : folders) folderSynced(folder);
}

std::shared_ptr<DiskImage::Node> DiskImage::nodeAt(const fs::path& path, bool fresh) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return nullptr;
    std::shared_ptr<Node>& node = nodes_[info.st_ino];
    if (!node || fresh) node = std::make_shared<Node>(Node{S_ISDIR(info.st_mode), std::nullopt});
    return node;
}

void DiskImage::created(const fs::path& path) {
    nodeAt(path, true);
}

void DiskImage::removing(const fs::path& path) {
    // Its inode number may be reused by the next new file.
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && info.st_nlink <= 1) nodes_.erase(info.st_ino);
}

void DiskImage::fileSynced(const fs::path& path) {
    // SQLite rebuilds its shared-memory index and never flushes it.
    if (path.string().ends_with("-shm")) return;
    if (auto node = nodeAt(path)) node->bytes = readFile(path);
}

void DiskImage::folderSynced(const fs::path& folder) {
    Entries entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        entries[entry.path().filename().string()] = nodeAt(entry.path());
    }
    flushed_[folder] = std::move(entries);
}

void DiskImage::losePower() {
    for (const auto& entry : fs::directory_iterator(root_)) fs::remove_all(entry.path());
    std::map<const Node*, fs::path> written;
    restore(root_, written);
    nodes_.clear();
    flushed_.clear();
}

void DiskImage::restore(const fs::path& folder, std::map<const Node*, fs::path>& written) {
    const auto found = flushed_.find(folder);
    if (found == flushed_.end()) return;
    for (const auto& [name, node] : found->second) {
        const fs::path path = folder / name;
        if (node->folder) {
            fs::create_directory(path);
            restore(path, written);
        } else if (auto link = written.find(node.get()); link != written.end()) {
            fs::create_hard_link(link->second, path);
        } else {
            writeFile(path, node->bytes.value_or(""));
            written[node.get()] = path;
        }
    }
}

}  // namespace orvale::testing
