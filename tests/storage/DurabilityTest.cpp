// Power loss and kills at every step, in the manner of LevelDB's
// fault-injection test: an operation is run once to count its changes to the
// disk (N), then again from the same files for every k in 1 … N + 1 with the
// power lost at its k-th change (that change and every later one fail,
// SQLite's too; k = N + 1 is just after it returned), and then in a child
// process killed with SIGKILL just before that change. After a power loss the
// files are put back to what the disk would hold; after a kill they stay as
// they are. The store must open on them holding the state from before the
// operation or the state after it, never a mix and never nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "storage/LayoutSchema.h"
#include "support/SQLiteDiskShim.h"
#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// What the disk holds after the loss: the backup file and the files beside it,
// then what the store holds when it opens on them.
struct State {
    std::string notice;                          // the title of the notice opening shows
    Names content = {};                          // layout names, then "x:" and excluded bundle ids
    std::optional<Names> backup = std::nullopt;  // the same in the backup file
    bool marker = false;                         // a reset is waiting for its backup
    bool preserved = false;                      // the damaged file is kept as "Orvale.corrupt-…"
    bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* out) {
    *out << "{\"" << s.notice << "\", " << ::testing::PrintToString(s.content) << ", backup "
         << ::testing::PrintToString(s.backup) << ", " << s.marker << s.preserved << "}";
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
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(paths.directory, missing)) {
        state.preserved |= entry.path().filename().string().starts_with("Orvale.corrupt-");
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
    auto opened = LayoutStore::open(paths);
    state.notice = opened.notice ? opened.notice->title : "";
    state.content = names(opened.store->loadLayouts(), opened.store->loadExclusions());
    return state;
}

// Marks where an operation's changes start, and where it returned.
struct Bounds {
    std::function<void()> start;
    std::function<void()> end;
};
using Run = std::function<void(const StorePaths&, StoreServices, const Bounds&)>;

struct Scenario {
    std::string name;
    std::function<void(const StorePaths&)> setUp;  // on the real file system
    Run run;
    std::vector<State> allowed;  // the state after the operation last, on disk once it returned
    friend void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }
};

// Runs the scenario in `folder` on a copy of `start` with the power lost at
// its change `lossAt` (0: never), or in a child killed there; returns how many
// changes it made.
int runInterrupted(const Scenario& scenario, const fs::path& start, const fs::path& folder,
                   int lossAt, bool kill = false) {
    fs::copy(start, folder, fs::copy_options::recursive);
    if (const pid_t child = kill ? ::fork() : 0; child > 0) {
        ::waitpid(child, nullptr, 0);
        return 0;
    }
    auto files = std::make_shared<FaultInjectingFileSystem>();
    VirtualClock clock;
    std::optional<DiskImage> image;
    int first = 0;
    int made = -1;
    const auto begin = [&] {
        image.emplace(folder);
        files->image = &*image;
        first = files->changes();
        files->beforeChange = [&](int change, Op, const fs::path&) {
            if (kill && change - first == lossAt) ::raise(SIGKILL);
            return lossAt > 0 && (change - first >= lossAt || made >= 0) ? EIO : 0;
        };
    };
    const Bounds bounds{begin, [&] { made = files->changes() - first; }};
    {
        SQLiteDiskShim shim(*files);
        try {
            scenario.run(StorePaths::in(folder / "data" / "Orvale"), {files, clock}, bounds);
        } catch (const std::exception& error) {
            if (lossAt == 0) ADD_FAILURE() << error.what();
        }
    }
    if (kill) ::_exit(0);
    if (lossAt > 0) image->losePower();
    return made;
}

class DurabilityTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(DurabilityTest, PowerLossOrAKillAtEveryStepLeavesTheOldStateOrTheNew) {
    const Scenario& scenario = GetParam();
    TemporaryFolder start(memoryFolder());
    scenario.setUp(StorePaths::in(start / "data" / "Orvale"));
    const int changes =
        runInterrupted(scenario, start.path(), TemporaryFolder(memoryFolder()).path(), 0);
    ASSERT_GT(changes, 0);
    for (int k = 1; k <= 2 * (changes + 1); ++k) {
        const bool kill = k > changes + 1;
        const int at = kill ? k - changes - 1 : k;
        SCOPED_TRACE((kill ? "killed before change " : "power lost at change ") +
                     std::to_string(at) + " of " + std::to_string(changes));
        TemporaryFolder folder(memoryFolder());
        runInterrupted(scenario, start.path(), folder.path(), at, kill);
        auto allowed = scenario.allowed;
        if (at == changes + 1) allowed.erase(allowed.begin(), allowed.end() - 1);
        try {
            EXPECT_THAT(allowed,
                        ::testing::Contains(observe(StorePaths::in(folder / "data" / "Orvale"))));
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

void addLayout(LayoutStore& store, const std::string& name) {
    store.createLayout(name, {sampleDisplay(7)}, {sampleEntry(sampleDisplay(7))}, std::nullopt);
}

// The operation `change` on a store opened before it starts.
Run onStore(std::function<void(LayoutStore&)> change) {
    return [change](const StorePaths& paths, StoreServices services, const Bounds& bounds) {
        auto store = LayoutStore::open(paths, services).store;
        bounds.start();
        change(*store);
        bounds.end();
    };
}

const Run kOpening = [](const StorePaths& paths, StoreServices services, const Bounds& bounds) {
    bounds.start();
    auto opened = LayoutStore::open(paths, services);
    bounds.end();
};

// Layouts "A" and "B", and a backup taken after the first.
void twoLayoutsBackedUpAfterOne(const StorePaths& paths) {
    auto store = LayoutStore::open(paths).store;
    addLayout(*store, "A");
    store->backupNow();
    addLayout(*store, "B");
}

const Names kA{"A"};
const Names kAB{"A", "B"};
const Names kAX{"A", "x:org.x"};

INSTANTIATE_TEST_SUITE_P(
    EveryOperation, DurabilityTest,
    ::testing::Values(
        Scenario{"CreateLayout",
                 [](const StorePaths& paths) { addLayout(*LayoutStore::open(paths).store, "A"); },
                 onStore([](LayoutStore& store) { addLayout(store, "B"); }),
                 {{"", kA}, {"", kAB}}},
        Scenario{"BackupNow",
                 twoLayoutsBackedUpAfterOne,
                 onStore([](LayoutStore& store) { store.backupNow(); }),
                 {{"", kAB, kA}, {"", kAB, kAB}}},
        // The marker may outlive a reset that did not happen: the next start
        // backs up what is there and removes it.
        Scenario{"ResetDatabase",
                 [](const StorePaths& paths) {
                     auto store = LayoutStore::open(paths).store;
                     addLayout(*store, "A");
                     store->addExclusion("org.x", "X");
                     store->backupNow();
                 },
                 onStore([](LayoutStore& store) { store.resetDatabase(); }),
                 {{"", kAX, kAX},
                  {"", kAX, kAX, true},
                  {"", {}, kAX, true},
                  {"", {}, Names{}, true},
                  {"", {}, Names{}}}},
        Scenario{"Recovery",
                 [](const StorePaths& paths) {
                     twoLayoutsBackedUpAfterOne(paths);
                     LayoutStore::open(paths).store->backupNow();
                     writeFile(paths.database, std::string(4096, 'g'));
                 },
                 kOpening,
                 // A run stopped early may leave the damaged file's copy behind.
                 {{"Your layouts are back", kAB, kAB},
                  {"Your layouts are back", kAB, kAB, false, true},
                  {"", kAB, kAB, false, true}}},
        Scenario{"AdoptPreviousFolder",
                 [](const StorePaths& paths) {
                     const StorePaths earlier =
                         StorePaths::in(paths.directory.parent_path() / "earlier");
                     twoLayoutsBackedUpAfterOne(earlier);
                     fs::create_directories(paths.legacyDirectory());
                     fs::rename(earlier.database, paths.legacyDirectory() / "layouts.sqlite");
                     fs::rename(earlier.backup, paths.legacyDirectory() / "layouts.backup.sqlite");
                 },
                 kOpening,
                 // Stopped before the database's name is on disk: the next
                 // start adopts it, beside the backup already in place.
                 {{"Saved layouts copied to Orvale", kAB},
                  {"Saved layouts copied to Orvale", kAB, kA},
                  {"", kAB, kA}}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
}  // namespace orvale
