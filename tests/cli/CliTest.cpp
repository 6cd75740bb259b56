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

    // What a command that must succeed printed.
    std::string output(std::vector<std::string> arguments) {
        const Outcome outcome = runWith(std::move(arguments));
        EXPECT_EQ(outcome.status, kSuccess) << outcome.err;
        EXPECT_EQ(outcome.err, "");
        return outcome.out;
    }

    TemporaryFolder folder;
    StorePaths paths = StorePaths::in(folder / "data" / "Orvale");
};

TEST_F(CliTest, HelpGoesToTheOutputAndUsageErrorsToTheErrorsWithTwo) {
    const std::string help = output({"--help"});
    EXPECT_TRUE(help.starts_with("Usage: orvale <command>\n"));
    for (const char* command : {"list", "backup", "displays", "windows", "--help"}) {
        EXPECT_NE(help.find("\n  " + std::string(command) + " "), std::string::npos) << command;
    }
    for (const auto& [arguments, error] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{}, ""},
             {{"frobnicate"}, "orvale: unknown command “frobnicate”.\n\n"},
             {{"list", "extra"}, "orvale: “list” takes no arguments.\n\n"}}) {
        const Outcome outcome = runWith(arguments);
        EXPECT_EQ(outcome.status, kUsageError);
        EXPECT_TRUE(outcome.err.starts_with(error + "Usage: orvale <command>\n")) << outcome.err;
        EXPECT_EQ(outcome.out, "");
    }
}

TEST_F(CliTest, ListCreatesTheDatabaseAndPrintsAnyNoticeBeforeOneLinePerLayout) {
    EXPECT_EQ(output({"list"}), "No saved layouts.\n");
    EXPECT_TRUE(std::filesystem::exists(paths.database));
    {
        auto store = LayoutStore::open(paths).store;
        const auto a = sampleDisplay(1, 0, true);
        const auto b = sampleDisplay(2, 1920, false);
        store->createLayout("Work", {a, b}, {sampleEntry(a), sampleEntry(b), sampleEntry(b)},
                            std::nullopt);
        store->createLayout("Solo", {a}, {sampleEntry(a)}, std::nullopt);
    }
    const std::string layouts = "Work\t3 windows\t2 displays\nSolo\t1 window\t1 display\n";
    EXPECT_EQ(output({"list"}), layouts);

    EXPECT_EQ(output({"backup"}), paths.backup.string() + "\n");
    writeFile(paths.database, std::string(4096, 'x'));
    const std::string recovered = output({"list"});
    EXPECT_TRUE(recovered.starts_with(
        "Your layouts are back\nSaved layouts were restored from the last backup. The damaged "
        "copy is kept for recovery.\nPreserved files: Orvale.corrupt-"))
        << recovered;
    EXPECT_TRUE(recovered.ends_with(".sqlite.\n\n" + layouts)) << recovered;
}

TEST_F(CliTest, FailuresPrintTheDescriptionAndSuggestionAndExitWithOne) {
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
