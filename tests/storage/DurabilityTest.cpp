// Power loss at every step, in the manner of LevelDB's fault-injection test:
// an operation is run once to count its changes to the disk (N), then again
// from the same files for every k in 1 … N + 1 with the power lost at its k-th
// change (that change and every later one fail, SQLite's too; k = N + 1 is just
// after it returned). The files are then put back to what the disk would hold,
// and the store must open on them holding the state from before the operation
// or the state after it, never a mix and never nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "storage/LayoutSchema.h"
#include "support/SQLiteDiskShim.h"
#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// What the disk holds after the loss: the backup file and the files around it
// as they are, then what the store holds when it opens on them.
struct State {
    std::string notice;                          // the title of the notice opening shows
    Names layouts = {};                          // layout names, then "x:" and excluded bundle ids
    std::optional<Names> backup = std::nullopt;  // the same in the backup file
    bool marker = false;                         // a reset is waiting for its backup
    bool preserved = false;                      // the damaged file is kept as "Orvale.corrupt-…"
    bool operator==(const State&) const = default;
};

void PrintTo(const State& state, std::ostream* out) {
    *out << "{\"" << state.notice << "\", " << ::testing::PrintToString(state.layouts)
         << ", backup " << ::testing::PrintToString(state.backup) << ", marker " << state.marker
         << ", preserved " << state.preserved << "}";
}

Names names(const std::vector<Layout>& layouts, const std::vector<AppExclusion>& exclusions) {
    Names result;
    for (const Layout& layout : layouts) result.push_back(layout.name);
    std::sort(result.begin(), result.end());
    for (const AppExclusion& exclusion : exclusions) result.push_back("x:" + exclusion.bundleID);
    return result;
}

State observe(const StorePaths& paths) {
    State state;
    state.marker = fs::exists(paths.resetMarker);
    if (fs::exists(paths.directory)) {
        for (const auto& entry : fs::directory_iterator(paths.directory)) {
            state.preserved |= entry.path().filename().string().starts_with("Orvale.corrupt-");
        }
    }
    if (fs::exists(paths.backup)) {
        // Recovery reads a copy of the backup file alone, without sidecars.
        const fs::path copy = paths.directory.parent_path() / "backup-copy.sqlite";
        fs::copy_file(paths.backup, copy);
        SQLiteDatabase backup(copy, SQLiteDatabase::OpenMode::readWrite,
                              SQLiteDatabase::JournalPolicy::unchanged, 100);
        backup.quickCheck();
        backup.foreignKeyCheck();
        state.backup =
            names(LayoutSchema::loadLayouts(backup), LayoutSchema::loadExclusions(backup));
    }
    auto result = LayoutStore::open(paths);
    state.notice = result.notice ? result.notice->title : "";
    state.layouts = names(result.store->loadLayouts(), result.store->loadExclusions());
    return state;
}

void addLayout(LayoutStore& store, const std::string& name) {
    const auto display = sampleDisplay(7);
    store.createLayout(name, {display}, {sampleEntry(display)}, std::nullopt);
}

// Marks where an operation's changes start, and where it returned.
struct Bounds {
    std::function<void()> start;
    std::function<void()> end;
};

struct Scenario {
    std::string name;
    // Writes the files before the operation, on the real file system.
    std::function<void(const StorePaths&)> setUp;
    // Runs the operation within its bounds.
    std::function<void(const StorePaths&, StoreServices, const Bounds&)> run;
    // The states the disk may be left in, the state after the operation last.
    std::vector<State> allowed;
    // Whether the state after the operation is on disk once it returned.
    bool durable = true;
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

// Runs the scenario in `folder` on a copy of `start`, with the power lost at
// its change `lossAt` (0: never; one more than it makes: when it returns);
// returns how many changes it made.
int runWithPowerLoss(const Scenario& scenario, const fs::path& start, const fs::path& folder,
                     int lossAt) {
    fs::copy(start, folder, fs::copy_options::recursive);
    auto files = std::make_shared<FaultInjectingFileSystem>();
    VirtualClock clock{Timestamp{1767225600.25}};
    std::optional<DiskImage> image;
    int first = 0;
    int made = -1;
    const Bounds bounds{[&] {
                            image.emplace(folder);
                            files->image = &*image;
                            first = files->changes();
                            files->beforeChange = [&](int change, Op, const fs::path&) {
                                const bool lost =
                                    lossAt > 0 && (change - first >= lossAt || made >= 0);
                                return lost ? EIO : 0;
                            };
                        },
                        [&] { made = files->changes() - first; }};
    {
        SQLiteDiskShim shim(*files);
        try {
            scenario.run(StorePaths::in(folder / "data" / "Orvale"), {files, clock}, bounds);
        } catch (const std::exception& error) {
            if (lossAt == 0) ADD_FAILURE() << error.what();
        }
    }
    if (lossAt > 0) image->losePower();
    return made;
}

class DurabilityTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(DurabilityTest, PowerLossAtEveryStepLeavesTheOldStateOrTheNew) {
    const Scenario& scenario = GetParam();
    TemporaryFolder start(memoryFolder());
    scenario.setUp(StorePaths::in(start / "data" / "Orvale"));
    int changes = 0;
    {
        TemporaryFolder folder(memoryFolder());
        changes = runWithPowerLoss(scenario, start.path(), folder.path(), 0);
    }
    ASSERT_GT(changes, 0);
    for (int k = 1; k <= changes + 1; ++k) {
        TemporaryFolder folder(memoryFolder());
        runWithPowerLoss(scenario, start.path(), folder.path(), k);
        const bool returned = k == changes + 1;
        const std::vector<State> allowed =
            returned && scenario.durable ? std::vector{scenario.allowed.back()} : scenario.allowed;
        try {
            EXPECT_THAT(allowed,
                        ::testing::Contains(observe(StorePaths::in(folder / "data" / "Orvale"))))
                << "power lost at change " << k << " of " << changes;
        } catch (const std::exception& error) {
            ADD_FAILURE() << "power lost at change " << k << " of " << changes << ": "
                          << error.what();
        }
    }
    RecordProperty("crashPoints", changes + 1);
}

const Names kOld{"A", "B"};

INSTANTIATE_TEST_SUITE_P(
    EveryOperation, DurabilityTest,
    ::testing::Values(
        Scenario{"CreateLayout",
                 [](const StorePaths& paths) { addLayout(*LayoutStore::open(paths).store, "A"); },
                 [](const StorePaths& paths, StoreServices services, const Bounds& bounds) {
                     auto store = LayoutStore::open(paths, services).store;
                     bounds.start();
                     addLayout(*store, "B");
                     bounds.end();
                 },
                 // With synchronous = NORMAL a write-ahead commit is on disk at
                 // the next checkpoint, not when it returns.
                 {{"", {"A"}}, {"", kOld}},
                 false},
        Scenario{"BackupNow",
                 [](const StorePaths& paths) {
                     auto store = LayoutStore::open(paths).store;
                     addLayout(*store, "A");
                     store->backupNow();
                     addLayout(*store, "B");
                 },
                 [](const StorePaths& paths, StoreServices services, const Bounds& bounds) {
                     auto store = LayoutStore::open(paths, services).store;
                     bounds.start();
                     store->backupNow();
                     bounds.end();
                 },
                 {{"", kOld, Names{"A"}}, {"", kOld, kOld}}},
        Scenario{"ResetDatabase",
                 [](const StorePaths& paths) {
                     auto store = LayoutStore::open(paths).store;
                     addLayout(*store, "A");
                     store->addExclusion("org.x", "X");
                     store->backupNow();
                 },
                 [](const StorePaths& paths, StoreServices services, const Bounds& bounds) {
                     auto store = LayoutStore::open(paths, services).store;
                     bounds.start();
                     store->resetDatabase();
                     bounds.end();
                 },
                 // The marker may outlive a reset that did not happen: the next
                 // start backs up what is there and removes it.
                 {{"", {"A", "x:org.x"}, Names{"A", "x:org.x"}},
                  {"", {"A", "x:org.x"}, Names{"A", "x:org.x"}, true},
                  {"", {}, Names{"A", "x:org.x"}, true},
                  {"", {}, Names{}, true},
                  {"", {}, Names{}}}},
        Scenario{"Recovery",
                 [](const StorePaths& paths) {
                     {
                         auto store = LayoutStore::open(paths).store;
                         addLayout(*store, "A");
                         addLayout(*store, "B");
                         store->backupNow();
                     }
                     writeFile(paths.database, std::string(4096, 'g'));
                 },
                 [](const StorePaths& paths, StoreServices services, const Bounds& bounds) {
                     bounds.start();
                     auto opened = LayoutStore::open(paths, services);
                     bounds.end();
                 },
                 {{"Your layouts are back", kOld, kOld}, {"", kOld, kOld, false, true}}},
        Scenario{"AdoptPreviousFolder",
                 [](const StorePaths& paths) {
                     const StorePaths seed = StorePaths::in(paths.directory.parent_path() / "seed");
                     {
                         auto store = LayoutStore::open(seed).store;
                         addLayout(*store, "A");
                         store->backupNow();
                         addLayout(*store, "B");
                     }
                     fs::create_directories(paths.legacyDirectory());
                     fs::rename(seed.database, paths.legacyDirectory() / "layouts.sqlite");
                     fs::rename(seed.backup, paths.legacyDirectory() / "layouts.backup.sqlite");
                     fs::remove_all(seed.directory);
                 },
                 [](const StorePaths& paths, StoreServices services, const Bounds& bounds) {
                     bounds.start();
                     auto opened = LayoutStore::open(paths, services);
                     bounds.end();
                 },
                 {{"Saved layouts copied to Orvale", kOld}, {"", kOld, Names{"A"}}}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
}  // namespace orvale
