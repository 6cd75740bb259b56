// A child process writing layouts is killed with SIGKILL at pseudo-random
// moments; after every kill the store must open, pass the quick check and hold
// every write the child reported as committed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>
#include <sstream>

#include "storage/LayoutStore.h"
#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;

constexpr int kRounds = 16;

// Runs in the child: writes layouts (with a backup now and then) and reports
// each committed name on `report`, one per line. Never returns.
[[noreturn]] void writeUntilKilled(const StorePaths& paths, int round, int report) {
    try {
        auto result = LayoutStore::open(paths);
        const auto display = sampleDisplay(7);
        for (int i = 0; i < 100000; ++i) {
            const std::string name = "R" + std::to_string(round) + "-" + std::to_string(i);
            result.store->createLayout(name, {display}, {sampleEntry(display)}, std::nullopt);
            const std::string line = name + "\n";
            if (::write(report, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
                ::_exit(3);
            }
            if (i % 5 == 4) result.store->backupNow();
        }
    } catch (...) {
        ::_exit(2);
    }
    ::_exit(0);
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

TEST(CrashSafetyTest, EveryReportedWriteSurvivesSigkill) {
    TemporaryFolder folder;
    const StorePaths paths = StorePaths::in(folder / "Orvale");
    std::mt19937 random(20260101);  // fixed start: the same kill moments every run
    std::uniform_int_distribution<int> delayMicroseconds(1000, 40000);
    std::set<std::string> committed;

    for (int round = 0; round < kRounds; ++round) {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            writeUntilKilled(paths, round, pipeEnds[1]);
        }
        ::close(pipeEnds[1]);
        ::usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself with " << status;
        std::istringstream lines(readAll(pipeEnds[0]));
        ::close(pipeEnds[0]);
        std::string line;
        while (std::getline(lines, line)) {
            if (!lines.eof()) committed.insert(line);  // a line cut short was not reported
        }

        auto result = LayoutStore::open(paths);
        EXPECT_FALSE(result.notice) << "round " << round << ": " << result.notice->title;
        std::set<std::string> stored;
        for (const Layout& layout : result.store->loadLayouts()) stored.insert(layout.name);
        for (const std::string& name : committed) {
            EXPECT_TRUE(stored.contains(name)) << "round " << round << " lost " << name;
        }
        result.store.reset();
        SQLiteDatabase check(paths.database, SQLiteDatabase::OpenMode::readWrite,
                             SQLiteDatabase::JournalPolicy::unchanged, 2000);
        EXPECT_NO_THROW(check.quickCheck());
        EXPECT_NO_THROW(check.foreignKeyCheck());
    }
    EXPECT_GT(committed.size(), 0u);
    RecordProperty("committedWrites", static_cast<int>(committed.size()));
}

}  // namespace
}  // namespace orvale
