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
// `report` each committed name, and "!<op>" just before dying at change
// `killAt`. Exits by itself when it makes fewer changes.
[[noreturn]] void write(const StorePaths& paths, int killAt, int report) {
    auto say = [report](const std::string& line) {
        if (::write(report, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            ::_exit(3);
        }
    };
    auto files = std::make_shared<FaultInjectingFileSystem>();
    files->beforeChange = [&](int change, Op op, const std::filesystem::path&) {
        if (change == killAt) say("!" + std::to_string(static_cast<int>(op)) + "\n");
        if (change == killAt) ::raise(SIGKILL);
        return 0;
    };
    SQLiteDiskShim shim(*files);
    try {
        auto store = LayoutStore::open(paths, {files, systemClock()}).store;
        for (const std::string name : {"N1", "N2"}) {
            store->createLayout(name, {sampleDisplay(7)}, {sampleEntry(sampleDisplay(7))}, {});
            say(name + "\n");
            store->backupNow();
        }
    } catch (...) {
        ::_exit(2);
    }
    ::_exit(0);
}

// How the child ended, and the lines it said.
std::pair<int, std::vector<std::string>> runChild(const StorePaths& paths, int killAt) {
    int ends[2];
    if (::pipe(ends) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = ::fork();
    if (child == 0) write(paths, killAt, ends[1]);
    ::close(ends[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::istringstream stream(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return {status, lines};
}

TEST(CrashSafetyTest, EveryReportedWriteSurvivesAKillAtAnyChange) {
    TemporaryFolder start(memoryFolder());
    const StorePaths startPaths = StorePaths::in(start / "Orvale");
    LayoutStore::open(startPaths)
        .store->createLayout("Old", {sampleDisplay(7)}, {sampleEntry(sampleDisplay(7))}, {});
    // What a backup killed earlier leaves behind.
    writeFile(withSuffix(startPaths.backup, ".tmp-stale"), "partial");
    std::set<int> cut;
    for (int k = 1;; ++k) {
        ASSERT_LT(k, 1000) << "the child never finished";
        TemporaryFolder folder(memoryFolder());
        std::filesystem::copy(start.path(), folder.path(),
                              std::filesystem::copy_options::recursive);
        const StorePaths paths = StorePaths::in(folder / "Orvale");
        const auto [status, lines] = runChild(paths, k);
        if (WIFEXITED(status)) {
            EXPECT_EQ(WEXITSTATUS(status), 0);
            RecordProperty("kills", k - 1);
            break;
        }
        std::set<std::string> committed{"Old"};
        for (const std::string& line : lines) {
            if (line.starts_with("!")) cut.insert(std::stoi(line.substr(1)));
            if (!line.starts_with("!")) committed.insert(line);
        }
        auto opened = LayoutStore::open(paths);
        EXPECT_FALSE(opened.notice) << "kill " << k << ": " << opened.notice->title;
        std::set<std::string> stored;
        for (const Layout& layout : opened.store->loadLayouts()) stored.insert(layout.name);
        EXPECT_THAT(stored, ::testing::IsSupersetOf(committed)) << "kill " << k;
        opened.store.reset();
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
}

}  // namespace
}  // namespace orvale
