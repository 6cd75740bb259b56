// A child process writes layouts and backups from the same start every time and
// kills itself with SIGKILL at its k-th change to the disk, for every k, so
// that every change createLayout and backupNow make is cut once and every run
// is the same. After every kill the store must open, pass the checks and hold
// every write the child reported as committed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <sstream>

#include "support/SQLiteDiskShim.h"
#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;

// Runs in the child: two layouts, each followed by a backup, reporting on
// `report` each committed name, "!<op>" just before dying at change `killAt`
// (0: never), and "#<changes>" at the end. Never returns.
[[noreturn]] void write(const StorePaths& paths, int killAt, int report) {
    auto say = [report](const std::string& line) {
        if (::write(report, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            ::_exit(3);
        }
    };
    auto files = std::make_shared<FaultInjectingFileSystem>();
    files->beforeChange = [&](int change, Op op, const std::filesystem::path&) {
        if (change == killAt) {
            say("!" + std::to_string(static_cast<int>(op)) + "\n");
            ::raise(SIGKILL);
        }
        return 0;
    };
    SQLiteDiskShim shim(*files);
    try {
        auto store = LayoutStore::open(paths, {files, systemClock()}).store;
        const auto display = sampleDisplay(7);
        for (const std::string name : {"N1", "N2"}) {
            store->createLayout(name, {display}, {sampleEntry(display)}, std::nullopt);
            say(name + "\n");
            store->backupNow();
        }
    } catch (...) {
        ::_exit(2);
    }
    say("#" + std::to_string(files->changes()) + "\n");
    ::_exit(0);
}

// What the child said, with how it ended.
struct ChildRun {
    int status = 0;
    std::vector<std::string> lines;
};

ChildRun runChild(const StorePaths& paths, int killAt) {
    int ends[2];
    if (::pipe(ends) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        write(paths, killAt, ends[1]);
    }
    ::close(ends[1]);
    ChildRun run;
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(ends[0]);
    ::waitpid(child, &run.status, 0);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
    return run;
}

TEST(CrashSafetyTest, EveryReportedWriteSurvivesAKillAtAnyChange) {
    TemporaryFolder start(memoryFolder());
    const StorePaths startPaths = StorePaths::in(start / "Orvale");
    {
        auto store = LayoutStore::open(startPaths).store;
        store->createLayout("Old", {sampleDisplay(7)}, {sampleEntry(sampleDisplay(7))},
                            std::nullopt);
    }
    // What a backup killed earlier leaves behind.
    writeFile(withSuffix(startPaths.backup, ".tmp-stale"), "partial");

    const ChildRun counted = [&] {
        TemporaryFolder folder(memoryFolder());
        std::filesystem::copy(start.path(), folder.path(),
                              std::filesystem::copy_options::recursive);
        return runChild(StorePaths::in(folder / "Orvale"), 0);
    }();
    ASSERT_TRUE(WIFEXITED(counted.status) && WEXITSTATUS(counted.status) == 0);
    const int changes = std::stoi(counted.lines.back().substr(1));

    std::set<int> cut;
    for (int k = 1; k <= changes; ++k) {
        TemporaryFolder folder(memoryFolder());
        std::filesystem::copy(start.path(), folder.path(),
                              std::filesystem::copy_options::recursive);
        const StorePaths paths = StorePaths::in(folder / "Orvale");
        const ChildRun run = runChild(paths, k);
        ASSERT_TRUE(WIFSIGNALED(run.status))
            << "kill " << k << ": the child ended with " << run.status;
        std::set<std::string> committed{"Old"};
        for (const std::string& line : run.lines) {
            if (line.starts_with("!")) {
                cut.insert(std::stoi(line.substr(1)));
            } else {
                committed.insert(line);
            }
        }

        auto result = LayoutStore::open(paths);
        EXPECT_FALSE(result.notice) << "kill " << k << ": " << result.notice->title;
        std::set<std::string> stored;
        for (const Layout& layout : result.store->loadLayouts()) stored.insert(layout.name);
        EXPECT_THAT(stored, ::testing::IsSupersetOf(committed)) << "kill " << k;
        result.store.reset();
        SQLiteDatabase check(paths.database, SQLiteDatabase::OpenMode::readWrite,
                             SQLiteDatabase::JournalPolicy::unchanged, 2000);
        EXPECT_NO_THROW(check.quickCheck());
        EXPECT_NO_THROW(check.foreignKeyCheck());
    }
    std::set<int> every;
    for (Op op : {Op::remove, Op::rename, Op::syncFile, Op::syncFolder, Op::sqliteOpen,
                  Op::sqliteWrite, Op::sqliteSync, Op::sqliteDelete}) {
        every.insert(static_cast<int>(op));
    }
    EXPECT_THAT(cut, ::testing::IsSupersetOf(every));
    RecordProperty("kills", changes);
}

}  // namespace
}  // namespace orvale
