#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "storage/LayoutStore.h"
#include "support/StoreFixtures.h"

namespace orvale::cli {
namespace {

using namespace orvale::testing;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
  protected:
    Outcome runWith(std::vector<std::string> arguments) {
        std::ostringstream out;
        std::ostringstream err;
        const std::string data = (folder / "data").string();
        const int status =
            run(arguments, out, err, [data](const char* name) -> std::optional<std::string> {
                if (std::string_view(name) == "XDG_DATA_HOME") return data;
                return std::nullopt;
            });
        return {status, out.str(), err.str()};
    }

    TemporaryFolder folder;
    StorePaths paths = StorePaths::in(folder / "data" / "Orvale");
};

TEST_F(CliTest, HelpListsTheCommands) {
    const Outcome outcome = runWith({"--help"});
    EXPECT_EQ(outcome.status, kSuccess);
    EXPECT_NE(outcome.out.find("Usage: orvale <command>"), std::string::npos);
    EXPECT_NE(outcome.out.find("--help"), std::string::npos);
    EXPECT_NE(outcome.out.find("  list "), std::string::npos);
    EXPECT_NE(outcome.out.find("  backup "), std::string::npos);
    EXPECT_TRUE(outcome.err.empty());
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    const Outcome none = runWith({});
    EXPECT_EQ(none.status, kUsageError);
    EXPECT_NE(none.err.find("Usage:"), std::string::npos);
    const Outcome unknown = runWith({"frobnicate"});
    EXPECT_EQ(unknown.status, kUsageError);
    EXPECT_NE(unknown.err.find("unknown command “frobnicate”"), std::string::npos);
    EXPECT_TRUE(unknown.out.empty());
    EXPECT_EQ(runWith({"list", "extra"}).status, kUsageError);
}

TEST_F(CliTest, ListOnAFirstRunCreatesTheDatabase) {
    const Outcome outcome = runWith({"list"});
    EXPECT_EQ(outcome.status, kSuccess) << outcome.err;
    EXPECT_EQ(outcome.out, "No saved layouts.\n");
    EXPECT_TRUE(std::filesystem::exists(paths.database));
}

TEST_F(CliTest, ListPrintsOneLinePerLayout) {
    {
        auto result = LayoutStore::open(paths);
        const auto a = sampleDisplay(1, 0, true);
        const auto b = sampleDisplay(2, 1920, false);
        result.store->createLayout("Work", {a, b}, {sampleEntry(a), sampleEntry(b), sampleEntry(b)},
                                   std::nullopt);
        result.store->createLayout("Solo", {a}, {sampleEntry(a)}, std::nullopt);
    }
    const Outcome outcome = runWith({"list"});
    EXPECT_EQ(outcome.status, kSuccess) << outcome.err;
    EXPECT_EQ(outcome.out, "Work\t3 windows\t2 displays\nSolo\t1 window\t1 display\n");
}

TEST_F(CliTest, ListPrintsTheStorageNoticeFirst) {
    {
        auto result = LayoutStore::open(paths);
        const auto a = sampleDisplay(1);
        result.store->createLayout("Work", {a}, {sampleEntry(a)}, std::nullopt);
        result.store->backupNow();
    }
    writeFile(paths.database, std::string(4096, 'x'));
    const Outcome outcome = runWith({"list"});
    EXPECT_EQ(outcome.status, kSuccess) << outcome.err;
    EXPECT_TRUE(outcome.out.starts_with(
        "Your layouts are back\nSaved layouts were restored from the last backup. The damaged "
        "copy is kept for recovery.\nPreserved files: Orvale.corrupt-"))
        << outcome.out;
    EXPECT_TRUE(outcome.out.ends_with(".sqlite.\n\nWork\t1 window\t1 display\n")) << outcome.out;
}

TEST_F(CliTest, BackupPrintsThePath) {
    const Outcome outcome = runWith({"backup"});
    EXPECT_EQ(outcome.status, kSuccess) << outcome.err;
    EXPECT_EQ(outcome.out, paths.backup.string() + "\n");
    EXPECT_TRUE(std::filesystem::exists(paths.backup));
}

TEST_F(CliTest, FailuresPrintTheDescriptionAndSuggestionAndExitWithOne) {
    std::filesystem::create_directories(paths.directory);
    rawSQL(paths.database, "PRAGMA user_version = 7;");
    const Outcome outcome = runWith({"list"});
    EXPECT_EQ(outcome.status, kFailure);
    EXPECT_EQ(outcome.err,
              "Update Orvale for database version 7. File unchanged: " + paths.database.string() +
                  ".\nUpdate Orvale to continue. Your saved data is unchanged.\n");
    EXPECT_TRUE(outcome.out.empty());
}

}  // namespace
}  // namespace orvale::cli
