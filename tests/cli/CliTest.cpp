#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "cli/RunOrvale.h"
#include "storage/LayoutStore.h"
#include "support/StoreFixtures.h"

namespace orvale::cli {
namespace {

using namespace orvale::testing;

// The whole command line, through the model and its executors on Qt's event
// loop, with the store and the preferences in a temporary folder and no X
// display: the storage commands must not need one.
class CliTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("DISPLAY", ":65000", 1); }

    Outcome runWith(const std::vector<std::string>& arguments) {
        return runOrvale(arguments, folder / "data", folder / "config");
    }

    // What a command that must succeed printed.
    std::string output(std::vector<std::string> arguments) {
        const Outcome outcome = runWith(std::move(arguments));
        EXPECT_EQ(outcome.status, kSuccess) << outcome.err;
        EXPECT_EQ(outcome.err, "");
        return outcome.out;
    }

    void addLayouts() {
        auto store = LayoutStore::open(paths).store;
        const auto a = sampleDisplay(1, 0, true);
        const auto b = sampleDisplay(2, 1920, false);
        store->createLayout("Work", {a, b}, {sampleEntry(a), sampleEntry(b), sampleEntry(b)},
                            std::nullopt);
        store->createLayout("Über", {a}, {sampleEntry(a)}, std::nullopt);
    }

    TemporaryFolder folder;
    StorePaths paths = StorePaths::in(folder / "data" / "Orvale");
};

TEST_F(CliTest, HelpGoesToTheOutputAndUsageErrorsChangeNothing) {
    EXPECT_TRUE(output({"--help"}).starts_with("Usage: orvale <command>"));
    EXPECT_TRUE(output({"restore", "--help"}).starts_with("Usage: orvale restore NAME [--json]"));
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"list", "--yes"}, {"reset"}, {"save", " "}, {"undo", "now"}}) {
        const Outcome outcome = runWith(arguments);
        EXPECT_EQ(outcome.status, kUsageError) << outcome.err;
        EXPECT_FALSE(outcome.err.empty());
        EXPECT_EQ(outcome.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "data"));
}

TEST_F(CliTest, ListCreatesTheDatabaseAndPrintsAnyNoticeBeforeOneLinePerLayout) {
    EXPECT_EQ(output({"list"}), "No saved layouts.\n");
    EXPECT_TRUE(std::filesystem::exists(paths.database));
    addLayouts();
    const std::string layouts = "Work\t3 windows\t2 displays\nÜber\t1 window\t1 display\n";
    EXPECT_EQ(output({"list"}), layouts);
    EXPECT_EQ(nlohmann::json::parse(output({"list", "--json"}))["layouts"][1]["name"], "Über");

    EXPECT_EQ(output({"backup"}), paths.backup.string() + "\n");
    writeFile(paths.database, std::string(4096, 'x'));
    const std::string recovered = output({"list"});
    EXPECT_TRUE(recovered.starts_with(
        "Your layouts are back\nSaved layouts were restored from the last backup. The damaged "
        "copy is kept for recovery.\nPreserved files: Orvale.corrupt-"))
        << recovered;
    EXPECT_TRUE(recovered.ends_with(".sqlite.\n\n" + layouts)) << recovered;
}

TEST_F(CliTest, LayoutsAreShownRenamedDeletedAndResetByNameIgnoringCase) {
    addLayouts();
    EXPECT_TRUE(output({"show", "WORK"}).starts_with("Work\n  Shortcut      none\n"));
    const std::string before = output({"list"});
    for (const auto& [arguments, error] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"show", "Home"}, "No layout is named “Home”.\n"},
             {{"delete", "Home"}, "No layout is named “Home”.\n"},
             {{"rename", "Work", "über"}, "A layout named “über” already exists.\n"},
             {{"include", "org.example.Nothing"}, "“org.example.Nothing” is not excluded.\n"},
             {{"restore", "Work"}, "orvale: cannot open the X display “:65000”.\n"}}) {
        const Outcome outcome = runWith(arguments);
        EXPECT_EQ(outcome.status, kFailure) << arguments.front();
        EXPECT_EQ(outcome.err, error);
        EXPECT_EQ(outcome.out, "");
    }
    EXPECT_EQ(output({"list"}), before);

    EXPECT_EQ(output({"rename", "über", " Home "}), "Renamed to “Home”.\n");
    EXPECT_EQ(output({"delete", "work"}), "Deleted “Work”.\n");
    EXPECT_EQ(output({"list"}), "Home\t1 window\t1 display\n");
    EXPECT_EQ(output({"exclude", "org.example.Terminal"}),
              "org.example.Terminal\torg.example.Terminal\n");
    EXPECT_EQ(output({"exclusions"}), "org.example.Terminal\torg.example.Terminal\n");
    EXPECT_EQ(output({"include", "org.example.Terminal"}), "No excluded applications.\n");
    EXPECT_TRUE(output({"reset", "--yes"}).starts_with("Saved Data Cleared\n"));
    EXPECT_EQ(output({"list"}), "No saved layouts.\n");
}

TEST_F(CliTest, AStorageProblemPrintsTheModelsTitleMessageAndDetailsAndExitsWithOne) {
    rawSQL(paths.database, "PRAGMA user_version = 7;");
    const Outcome outcome = runWith({"list"});
    EXPECT_EQ(outcome.status, kFailure);
    EXPECT_EQ(outcome.err,
              "Update Orvale\nUpdate Orvale to continue. Your saved data is unchanged.\n"
              "Update Orvale for database version 7. File unchanged: " +
                  paths.database.string() + ".\n");
    EXPECT_TRUE(outcome.out.empty());
}

}  // namespace
}  // namespace orvale::cli
