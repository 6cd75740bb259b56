#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "model/Layout.h"
#include "model/VirtualClock.h"
#include "storage/LayoutStore.h"
#include "storage/SQLite.h"
#include "storage/StorageError.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TemporaryFolder.h"

namespace orvale::testing {

// A display at `x` with identity (1552, 41004, serial, 0).
inline DisplaySnapshot sampleDisplay(std::uint32_t serial, double x = 0, bool primary = true) {
    return DisplaySnapshot{{1552, 41004, serial, 0},
                           {x, 0, 1920, 1080},
                           {x, 25, 1920, 1055},
                           3840,
                           2160,
                           2.0,
                           primary,
                           false};
}

inline WindowEntry sampleEntry(const DisplaySnapshot& display,
                               const std::string& app = "Terminal") {
    return WindowEntry{Uuid::generate(), "org.example." + app, app,
                       "AXWindow",       "AXStandardWindow",   std::nullopt,
                       display.key(),    {0.1, 0.1, 0.5, 0.5}};
}

// A store folder in a temporary folder, a fault-injecting file system and a
// clock the test moves by hand.
struct StoreHarness {
    TemporaryFolder folder;
    StorePaths paths = StorePaths::in(folder / "data" / "Orvale");
    std::shared_ptr<FaultInjectingFileSystem> files = std::make_shared<FaultInjectingFileSystem>();
    VirtualClock clock{Timestamp{1767225600.25}};  // 2026-01-01T00:00:00.250Z

    StorageOpenResult open() { return LayoutStore::open(paths, {files, clock}); }

    // Opens, adds `count` one-window layouts named "Layout 0" …, and closes.
    void addLayouts(int count) {
        auto result = open();
        const auto display = sampleDisplay(7);
        for (int i = 0; i < count; ++i) {
            result.store->createLayout("Layout " + std::to_string(i), {display},
                                       {sampleEntry(display)}, std::nullopt);
        }
    }

    // The names of the files in the store folder, sorted.
    std::vector<std::string> fileNames() const {
        std::vector<std::string> names;
        std::error_code missing;
        for (const auto& entry : std::filesystem::directory_iterator(paths.directory, missing)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

// Runs raw SQL on a file outside the store, as another program would,
// creating the file and its folder when missing.
inline void rawSQL(const std::filesystem::path& path, const std::string& sql) {
    std::filesystem::create_directories(path.parent_path());
    SQLiteDatabase database(path, SQLiteDatabase::OpenMode::readWriteCreate,
                            SQLiteDatabase::JournalPolicy::unchanged, 2000);
    database.execute(sql);
}

// The text of the `Error` that `change` throws; empty when it throws none.
template <typename Error = StorageError, typename Change>
std::string failureText(Change change) {
    try {
        change();
    } catch (const Error& error) {
        return error.what();
    }
    return "";
}

}  // namespace orvale::testing
