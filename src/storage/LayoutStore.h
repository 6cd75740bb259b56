#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "model/Layout.h"
#include "storage/SQLite.h"
#include "storage/StorageNotice.h"
#include "storage/StorePaths.h"
#include "storage/StoreServices.h"

namespace orvale {

class LayoutStore;

// What a strict load read from a database, each part taken at most once.
struct StoreContent {
    std::optional<std::vector<Layout>> layouts;
    std::optional<std::vector<AppExclusion>> exclusions;
};

struct StorageOpenResult {
    std::unique_ptr<LayoutStore> store;
    std::optional<StorageNotice> notice;
    StorePaths paths;
};

// The layout database: the one live connection, every change to layouts and
// exclusions, the backup and the reset.
//
// Thread safety: every operation takes the store's mutex for its whole run, so
// operations run one at a time, never concurrently, and may be called from any
// thread. Each change is validated first and then runs in one
// "BEGIN IMMEDIATE" transaction, so it lands whole or not at all. All
// operations throw StorageError or SQLiteFailure.
class LayoutStore {
  public:
    // Decides which database file to use and in what state: a new
    // empty library, the existing file (upgraded if needed), the last good
    // backup in place of a damaged file, or a clean slate with the damaged files
    // kept aside; adopts the previous name's folder. Nothing else may touch the
    // files while it runs.
    // Defined with the steps it runs, in StoreOpening.cpp.
    static StorageOpenResult open(const StorePaths& paths, StoreServices services = {});

    // A store over `database`, an open and checked live connection to
    // `paths.database`: what the last step of opening (StoreOpening.h) hands
    // over. `notice` is what opening has to tell the user; `verified` what it
    // has just loaded strictly from the same file, which the first
    // loadLayouts and loadExclusions return instead of reading again unless a
    // change comes first.
    LayoutStore(StorePaths paths, StoreServices services, std::unique_ptr<SQLiteDatabase> database,
                std::optional<StorageNotice> notice = std::nullopt,
                std::optional<StoreContent> verified = std::nullopt);

    ~LayoutStore();
    LayoutStore(const LayoutStore&) = delete;
    LayoutStore& operator=(const LayoutStore&) = delete;

    const StorePaths& paths() const { return paths_; }
    const std::optional<StorageNotice>& notice() const { return notice_; }

    std::vector<Layout> loadLayouts();
    std::vector<AppExclusion> loadExclusions();

    Layout createLayout(std::string_view name, const std::vector<DisplaySnapshot>& displays,
                        const std::vector<WindowEntry>& entries,
                        const std::optional<Shortcut>& shortcut);
    // Whether the automation link was removed (the new displays' signature
    // differs from the linked one).
    bool replaceLayoutContent(const Uuid& id, const std::vector<DisplaySnapshot>& displays,
                              const std::vector<WindowEntry>& entries);
    void renameLayout(const Uuid& id, std::string_view name);
    void deleteLayout(const Uuid& id);
    void removeEntry(const Uuid& layoutID, const Uuid& entryID);
    void updateShortcut(const Uuid& id, const std::optional<Shortcut>& shortcut);
    void updateAutomation(const Uuid& id, bool enabled,
                          const std::optional<std::string>& signature);
    void reassociateAutomation(const Uuid& id, const std::vector<DisplaySnapshot>& displays,
                               const std::string& signature);
    void addExclusion(std::string_view bundleID, std::string_view appName);
    void removeExclusion(std::string_view bundleID);

    // Writes a verified backup of the live database and clears the reset
    // marker; returns the backup's path.
    std::filesystem::path backupNow();
    // Deletes every layout and exclusion; a warning when the clean state could
    // not be fully protected (the reset marker then stays).
    std::optional<std::string> resetDatabase();

  private:
    double now() const { return services_.clock.get().wallTime().secondsSince1970; }
    // Runs `body` as one change: in a "BEGIN IMMEDIATE" transaction, after
    // which what opening loaded no longer holds.
    template <typename Body>
    auto write(Body body) -> decltype(body()) {
        verified_.reset();
        return inImmediateTransaction(*database_, body);
    }
    bool layoutExists(const Uuid& id);
    // Whether a layout other than `excluding` has a name equal to `name` under
    // Unicode case folding. Read inside the writing transaction.
    bool layoutNameTaken(const std::string& name, const std::optional<Uuid>& excluding);
    void insertDisplays(const std::vector<DisplaySnapshot>& displays, const Uuid& layoutID);
    void insertEntries(const std::vector<WindowEntry>& entries, const Uuid& layoutID);

    std::mutex mutex_;
    StorePaths paths_;
    std::optional<StorageNotice> notice_;
    std::unique_ptr<SQLiteDatabase> database_;
    StoreServices services_;
    std::optional<StoreContent> verified_;
};

}  // namespace orvale
