// Opening, upgrades, recovery, adoption, backups and the reset: every path with
// an outcome of its own, and every failure's exact text.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "storage/LayoutSchema.h"
#include "support/SQLiteDiskShim.h"
#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const std::string kGarbage(4096, 'g');
const std::string kPreserved = "Orvale.corrupt-2026-01-01T00-00-00-250Z.sqlite";
const Names kLive{"Orvale.backup.sqlite", "Orvale.sqlite"};

std::size_t layoutCount(const fs::path& path) {
    SQLiteDatabase database(path, SQLiteDatabase::OpenMode::readOnly,
                            SQLiteDatabase::JournalPolicy::unchanged, 100);
    return LayoutSchema::loadLayouts(database).size();
}

// A version-1 file (without the display frames and frame_inferred) holding
// one linked layout.
void writeVersion1(const fs::path& path) {
    std::string schema(LayoutSchema::kSchema);
    for (std::string part : {"    frame_inferred INTEGER NOT NULL DEFAULT 1,\n",
                             ",\n    CHECK (frame_inferred IN (0, 1))",
                             "    CHECK (frame_width > 0 AND frame_height > 0),\n"}) {
        schema.erase(schema.find(part), part.size());
    }
    for (std::string column : {"x", "y", "width", "height"}) {
        const std::string part = "    frame_" + column + " REAL NOT NULL,\n";
        schema.erase(schema.find(part), part.size());
    }
    const std::string id = Uuid::generate().text();
    rawSQL(path,
           schema + "PRAGMA user_version = 1; INSERT INTO layouts VALUES ('" + id +
               "', 'Old', 0, 0, 1, 'sig', NULL, NULL); INSERT INTO displays VALUES ('" + id +
               "', '1552-41004-7', 0, 1552, 41004, 7, 0, 0, 25, 1440, 875, 2880, 1800, 2, 1);");
}

// Two layouts, a backup of them, and then a damaged database.
void damageWithGoodBackup(StoreHarness& harness) {
    harness.addLayouts(2);
    harness.open().store->backupNow();
    writeFile(harness.paths.database, kGarbage);
}

class StoreOpeningTest : public ::testing::Test {
  protected:
    // The notice opening shows, as "title|message|details", or the failure.
    std::string opening() {
        std::optional<StorageNotice> notice;
        const std::string failed = failureText([&] { notice = harness.open().notice; });
        return notice ? notice->title + "|" + notice->message + "|" + notice->details.value_or("")
                      : failed;
    }

    StoreHarness harness;
    SQLiteDiskShim shim{*harness.files};
};

struct OpeningCase {
    std::string name;
    std::function<void(StoreHarness&)> setUp;
    std::string outcome;  // "{dir}", "{db}", "{backup}" and "{previous}" stand for the paths
    std::optional<Names> files = std::nullopt;  // the store folder afterwards
    friend void PrintTo(const OpeningCase& c, std::ostream* out) { *out << c.name; }
};

class OpeningTest : public StoreOpeningTest, public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(OpeningTest, ShowsItsOutcomeAndChangesNoLiveFileWhenItFails) {
    GetParam().setUp(harness);
    const std::string before = readFile(harness.paths.database);
    std::string expected = GetParam().outcome;
    for (const auto& [token, path] : {std::pair{"{dir}", harness.paths.directory},
                                      {"{db}", harness.paths.database},
                                      {"{backup}", harness.paths.backup},
                                      {"{previous}", harness.paths.legacyDirectory()}}) {
        for (auto at = expected.find(token); at != std::string::npos; at = expected.find(token)) {
            expected.replace(at, std::string(token).size(), path.string());
        }
    }
    const std::string outcome = opening();
    EXPECT_EQ(outcome, expected);
    if (outcome.find('|') == std::string::npos && !outcome.empty()) {
        EXPECT_EQ(readFile(harness.paths.database), before);
    }
    if (fs::exists(harness.paths.directory / kPreserved)) {
        EXPECT_EQ(readFile(harness.paths.directory / kPreserved), before);
    }
    EXPECT_EQ(GetParam().files.value_or(harness.fileNames()), harness.fileNames());
}

// Recovery with `op` failing on files named like `name`.
std::function<void(StoreHarness&)> damagedFailing(Op op, std::string name) {
    return [op, name](StoreHarness& harness) {
        damageWithGoodBackup(harness);
        harness.files->fail(op, name);
    };
}

// The store folder as the previous name kept it: its place and file names.
void moveToPreviousName(StoreHarness& harness) {
    const fs::path previous = harness.paths.legacyDirectory();
    fs::rename(harness.paths.directory, previous);
    fs::rename(previous / "Orvale.sqlite", previous / "layouts.sqlite");
    if (fs::exists(previous / "Orvale.backup.sqlite")) {
        fs::rename(previous / "Orvale.backup.sqlite", previous / "layouts.backup.sqlite");
    }
}

const std::string kCleanSlate =
    "Starting with a clean slate|Orvale couldn’t open the previous data, so it created a fresh, "
    "empty library. ";

INSTANTIATE_TEST_SUITE_P(
    Every, OpeningTest,
    ::testing::Values(
        OpeningCase{"FolderCannotBeMade",
                    [](StoreHarness& h) { h.files->fail(Op::createDirectories, "", EACCES); },
                    "Storage is unavailable. Couldn’t create {dir}. Permission denied"},
        OpeningCase{"UpgradeBackupFails",
                    [](StoreHarness& h) {
                        writeVersion1(h.paths.database);
                        h.files->fail(Op::rename, "Orvale.backup.sqlite");
                    },
                    "Storage is unavailable. Upgrade paused: backup failed. Couldn’t create a "
                    "backup. Backup update failed. Previous backup kept. Input/output error",
                    Names{"Orvale.sqlite"}},
        OpeningCase{"UpgradeFails",  // a version-2 file that already has the new column
                    [](StoreHarness& h) {
                        rawSQL(h.paths.database, "PRAGMA journal_mode = WAL;" +
                                                     std::string(LayoutSchema::kSchema) +
                                                     "PRAGMA user_version = 2;");
                    },
                    "Storage is unavailable. The open database could not be prepared. duplicate "
                    "column name: frame_inferred",
                    kLive},
        OpeningCase{"NewerVersion",
                    [](StoreHarness& h) {
                        rawSQL(h.paths.database, "CREATE TABLE t (x); PRAGMA user_version = 4;");
                    },
                    "Update Orvale for database version 4. File unchanged: {db}.",
                    Names{"Orvale.sqlite"}},
        OpeningCase{"LiveConnectionFails",  // switching a rollback-journal file to WAL
                    [](StoreHarness& h) {
                        h.addLayouts(1);
                        rawSQL(h.paths.database, "PRAGMA journal_mode = DELETE;");
                        h.files->fail(Op::sqliteWrite);
                    },
                    "Storage is unavailable. The open database could not be prepared. The disk "
                    "reported an I/O error (disk I/O error)."},
        OpeningCase{"Recovered", damageWithGoodBackup,
                    "Your layouts are back|Saved layouts were restored from the last backup. The "
                    "damaged copy is kept for recovery.|Preserved files: " +
                        kPreserved + ".",
                    Names{"Orvale.backup.sqlite", kPreserved, "Orvale.sqlite"}},
        OpeningCase{"CleanSlateWhileAResetIsPending",
                    [](StoreHarness& h) {
                        damageWithGoodBackup(h);
                        writeFile(h.paths.resetMarker, "pending");
                    },
                    kCleanSlate + "The backup from before the last reset was not restored.|" +
                        "Preserved files: " + kPreserved + ".",
                    Names{"Orvale.backup.sqlite", kPreserved, "Orvale.sqlite"}},
        OpeningCase{
            "CleanSlateWithoutABackup",
            [](StoreHarness& h) { writeFile(h.paths.database, kGarbage); },
            kCleanSlate + "The original files were kept.|Preserved files: " + kPreserved + ".",
            Names{kPreserved, "Orvale.sqlite"}},
        OpeningCase{"DamagedBackup",
                    [](StoreHarness& h) {
                        damageWithGoodBackup(h);
                        writeFile(h.paths.backup, kGarbage);
                    },
                    "Couldn’t recover the database. SQLite reported damaged or invalid data (file "
                    "is not a database). The backup at {backup} could not be used: file is not a "
                    "database The original database was left in place.",
                    kLive},
        OpeningCase{"BackupCopyFails", damagedFailing(Op::copy, "candidate"),
                    "Couldn’t recover the database. The backup could not be copied: Input/output "
                    "error",
                    kLive},
        OpeningCase{"LockFileFails", damagedFailing(Op::openForLocking, "Orvale.sqlite"),
                    "Storage is unavailable. Exclusive recovery access to the layout database "
                    "could not be established. Close other apps using it, check file permissions, "
                    "and try again.",
                    kLive},
        OpeningCase{"PreserveFails", damagedFailing(Op::link, "corrupt"),
                    "Couldn’t recover the database. The damaged database could not be preserved: "
                    "Input/output error. No active files were changed.",
                    kLive},
        // The damaged file's log must go before the backup copy replaces it.
        OpeningCase{"MoveAsideFails",
                    [](StoreHarness& h) {
                        damagedFailing(Op::remove, "Orvale.sqlite-wal")(h);
                        writeFile(h.paths.database.string() + "-wal", "log");
                    },
                    "Couldn’t recover the database. The damaged database could not be moved "
                    "aside: Input/output error. No active files were changed.",
                    Names{"Orvale.backup.sqlite", "Orvale.sqlite", "Orvale.sqlite-shm",
                          "Orvale.sqlite-wal"}},
        OpeningCase{"InstallFails", damagedFailing(Op::rename, "Orvale.sqlite"),
                    "Couldn’t recover the database. SQLite reported damaged or invalid data (file "
                    "is not a database). The replacement could not be installed: Input/output "
                    "error The original files are preserved as " +
                        kPreserved + ".",
                    Names{"Orvale.backup.sqlite", kPreserved, "Orvale.sqlite"}},
        OpeningCase{"Adopted",
                    [](StoreHarness& h) {
                        h.addLayouts(1);
                        h.open().store->backupNow();
                        moveToPreviousName(h);
                    },
                    "Saved layouts copied to Orvale|Your saved layouts and backup were copied "
                    "from the previous app name. The old folder was left untouched.|Previous "
                    "location: {previous}",
                    kLive},
        OpeningCase{"AdoptionFails",
                    [](StoreHarness& h) {
                        h.addLayouts(1);
                        moveToPreviousName(h);
                        writeFile(h.paths.legacyDirectory() / "layouts.backup.sqlite", "backup");
                        h.files->fail(Op::copy, "Orvale.backup.sqlite");
                    },
                    "Storage is unavailable. Saved layouts from the previous app name could not "
                    "be copied to {dir}. Input/output error",
                    Names{}}),
    [](const ::testing::TestParamInfo<OpeningCase>& info) { return info.param.name; });

TEST_F(StoreOpeningTest, Version1IsBackedUpThenUpgradedAndItsLinksDropped) {
    writeVersion1(harness.paths.database);
    EXPECT_EQ(opening(),
              "Display links refreshed|Re-link your layouts in Layout details to keep display "
              "automation working.|");
    const Layout layout = harness.open().store->loadLayouts().at(0);
    EXPECT_FALSE(layout.automationEnabled);
    EXPECT_EQ(layout.displays.at(0).frame, (RectD{0, 25, 1440, 875}));
    EXPECT_TRUE(layout.displays.at(0).frameInferred);
    SQLiteDatabase backup(harness.paths.backup, SQLiteDatabase::OpenMode::readOnly,
                          SQLiteDatabase::JournalPolicy::unchanged, 100);
    EXPECT_EQ(backup.userVersion(), 1);
    EXPECT_EQ(readFile(harness.paths.backup)[18], 1);  // a rollback journal: one file
}

TEST_F(StoreOpeningTest, AFileLeftMidWriteIsRolledBackThoughTheProbeCannot) {
    harness.addLayouts(1);
    rawSQL(harness.paths.database, "PRAGMA journal_mode = DELETE;");
    // Keep the database and its journal as a power loss before the commit would.
    const fs::path crashed = harness.folder / "crashed";
    harness.files->beforeChange = [&](int, Op op, const fs::path& path) {
        if (op == Op::sqliteDelete && !fs::exists(crashed)) fs::copy(path.parent_path(), crashed);
        return 0;
    };
    rawSQL(harness.paths.database,
           "BEGIN; DELETE FROM windows; DELETE FROM displays; DELETE FROM layouts; COMMIT;");
    harness.files->beforeChange = nullptr;
    fs::remove_all(harness.paths.directory);
    fs::rename(crashed, harness.paths.directory);
    ASSERT_TRUE(fs::exists(withSuffix(harness.paths.database, "-journal")));
    EXPECT_EQ(opening(), "");
    EXPECT_EQ(harness.open().store->loadLayouts().size(), 1u);
}

// Another program's SQLite holding its shared lock: a read lock on the
// shared-byte range. An open-file-description lock conflicts with the store's
// record locks as one from another process would.
TEST_F(StoreOpeningTest, AnotherHolderOfTheLockBytesStopsRecovery) {
    damageWithGoodBackup(harness);
    const int fd = ::open(harness.paths.database.c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_start = 0x40000000 + 2;
    lock.l_len = 510;
    ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);
    EXPECT_EQ(opening(),
              "Storage is unavailable. Another app has the layout database open. Close "
              "it or try again.");
    ::close(fd);
    EXPECT_EQ(readFile(harness.paths.database), kGarbage);
}

// Leftovers of an earlier attempt go with the next backup; a failed one keeps
// the previous backup and leaves no temporary.
TEST_F(StoreOpeningTest, AFailedBackupKeepsThePreviousOne) {
    writeFile(withSuffix(harness.paths.backup, ".tmp-stale"), "an earlier attempt");
    auto store = harness.open().store;
    EXPECT_EQ(store->backupNow(), harness.paths.backup);
    const std::string before = readFile(harness.paths.backup);
    store->createLayout("More", {sampleDisplay(1)}, {sampleEntry(sampleDisplay(1))}, std::nullopt);
    for (auto [op, text] : {std::pair{Op::rename, "Backup update failed. Previous backup kept. "},
                            {Op::syncFile, ""}}) {
        harness.files->fail(op, "Orvale.backup.sqlite", ENOSPC);
        EXPECT_EQ(failureText([&] { store->backupNow(); }),
                  "Couldn’t create a backup. " + std::string(text) + "No space left on device");
        harness.files->clear();
        EXPECT_EQ(readFile(harness.paths.backup), before);
        EXPECT_EQ(harness.fileNames(), (Names{"Orvale.backup.sqlite", "Orvale.sqlite",
                                              "Orvale.sqlite-shm", "Orvale.sqlite-wal"}));
    }
}

// A reset with one step failing: its error ("!…") or the start of its warning
// (the marker stays with every warning), and what the next start says with the
// fault still there; once it is gone, a start finishes the reset.
struct ResetFault {
    std::string name;
    std::function<void(StoreHarness&)> inject;
    std::string outcome;
    std::string reopened = {};
    friend void PrintTo(const ResetFault& fault, std::ostream* out) { *out << fault.name; }
};

class ResetTest : public StoreOpeningTest, public ::testing::WithParamInterface<ResetFault> {};

TEST_P(ResetTest, SaysWhatHappenedAndTheNextStartsFinishIt) {
    harness.addLayouts(2);
    auto store = harness.open().store;
    store->addExclusion("org.x", "X");
    GetParam().inject(harness);
    std::optional<std::string> warning;
    const std::string failed = failureText([&] { warning = store->resetDatabase(); });
    const std::string outcome = failed.empty() ? warning.value_or("") : "!" + failed;
    auto startsWith = [](const std::string& text, const std::string& start) {
        return start.empty() ? text.empty() : text.starts_with(start);
    };
    EXPECT_TRUE(startsWith(outcome, GetParam().outcome)) << outcome;
    const bool cleared = !outcome.starts_with("!");
    EXPECT_EQ(fs::exists(harness.paths.resetMarker), cleared && !outcome.empty());
    EXPECT_EQ(store->loadLayouts().size(), cleared ? 0u : 2u);
    store.reset();
    const std::string reopened = opening();  // with the fault still there
    EXPECT_TRUE(startsWith(reopened, GetParam().reopened)) << reopened;
    harness.files->clear();
    if (reopened.empty() || reopened.find('|') != std::string::npos) {
        EXPECT_EQ(opening(), "");
        EXPECT_FALSE(fs::exists(harness.paths.resetMarker));
        if (fs::exists(harness.paths.backup)) {
            EXPECT_EQ(layoutCount(harness.paths.backup), cleared ? 0u : 2u);
        }
    }
}

const std::string kPaused = "Backup protection paused|";

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ResetTest,
    ::testing::Values(
        ResetFault{"MarkerCannotBeWritten",
                   [](StoreHarness& h) { h.files->fail(Op::writeFile, "reset-pending"); },
                   "!Reset failed. No saved data removed. A safe reset could not be started. "
                   "Nothing was deleted. Couldn’t save changes. The reset marker could not be "
                   "created."},
        // The data is intact, so it is backed up and the marker cleared.
        ResetFault{"DeletionFails",
                   [](StoreHarness& h) { h.files->fail(Op::sqliteWrite, "Orvale.sqlite-wal"); },
                   "!Reset failed. No saved data removed. The disk reported an I/O error (disk "
                   "I/O error)."},
        ResetFault{"VerificationFails",
                   [](StoreHarness& h) {
                       rawSQL(h.paths.database,
                              "CREATE TRIGGER refill AFTER DELETE ON exclusions WHEN old.app_name "
                              "<> '' BEGIN INSERT INTO exclusions VALUES ('org.y', '', 0); END;");
                   },
                   "Data cleared, but the database couldn’t be verified. Older backups won’t be "
                   "used for automatic recovery. Couldn’t read saved layouts. An exclusion row "
                   "is missing its identity.",
                   "Couldn’t read saved layouts. An exclusion row is missing its identity."},
        ResetFault{"BackupFails",
                   [](StoreHarness& h) { h.files->fail(Op::rename, "Orvale.backup.sqlite"); },
                   "Data cleared, but a clean backup couldn’t be saved, so older backups won’t be "
                   "used for automatic recovery. Couldn’t create a backup. Backup update failed.",
                   kPaused + "Saved data is available, but a clean backup couldn’t be saved. "
                             "Older backups won’t be restored automatically.|The next launch "
                             "will try again. Couldn’t create a backup. Backup update failed."},
        ResetFault{"CleanupFails",
                   [](StoreHarness& h) { h.files->fail(Op::remove, "reset-pending"); },
                   "Data cleared and a clean backup was saved, but reset cleanup couldn’t finish. "
                   "Restart Orvale to finish. Couldn’t save changes. The reset marker could not "
                   "be removed: Input/output error",
                   kPaused + "A clean backup was saved, but reset cleanup couldn’t finish. "
                             "Restart Orvale to finish.|Couldn’t save changes. The reset marker "
                             "could not be removed: Input/output error"}),
    [](const ::testing::TestParamInfo<ResetFault>& info) { return info.param.name; });

}  // namespace
}  // namespace orvale
