#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "storage/LayoutSchema.h"
#include "storage/LayoutStore.h"
#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;
using Kind = StorageError::Kind;
namespace fs = std::filesystem;

const std::string kGarbage = std::string(4096, 'g');
const std::string kPreserved = "Orvale.corrupt-2026-01-01T00-00-00-250Z.sqlite";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The journal mode recorded in a file's header: 1 rollback (DELETE), 2 WAL.
int headerJournalMode(const fs::path& path) {
    const std::string bytes = readFile(path);
    return bytes.size() > 19 ? bytes[18] : -1;
}

std::size_t layoutCount(const fs::path& path) {
    SQLiteDatabase database(path, SQLiteDatabase::OpenMode::readOnly,
                            SQLiteDatabase::JournalPolicy::unchanged, 100);
    return LayoutSchema::loadLayouts(database).size();
}

StorageError openFailure(StoreHarness& harness) {
    try {
        harness.open();
    } catch (const StorageError& error) {
        return error;
    }
    ADD_FAILURE() << "open should fail";
    return StorageError::readFailed("no failure");
}

class StoreOpeningTest : public ::testing::Test {
  protected:
    // Two layouts, a backup of them, and then a damaged database.
    void damageWithGoodBackup() {
        harness.addLayouts(2);
        harness.open().store->backupNow();
        writeFile(harness.paths.database, kGarbage);
    }

    StoreHarness harness;
};

TEST_F(StoreOpeningTest, FirstOpenCreatesTheFolderAndAVersion3File) {
    auto result = harness.open();
    EXPECT_FALSE(result.notice);
    EXPECT_EQ(result.paths, harness.paths);
    EXPECT_TRUE(result.store->loadLayouts().empty());
    result.store.reset();
    EXPECT_EQ(harness.fileNames(), std::vector<std::string>{"Orvale.sqlite"});
    EXPECT_EQ(rawUserVersion(harness.paths.database), 3);
}

TEST_F(StoreOpeningTest, AFolderThatCannotBeCreatedIsReported) {
    harness.files->fail(Op::createDirectories, "", EACCES);
    const StorageError error = openFailure(harness);
    EXPECT_EQ(error.kind(), Kind::storageUnavailable);
    EXPECT_EQ(error.detail(),
              "Couldn’t create " + harness.paths.directory.string() + ". Permission denied");
}

TEST_F(StoreOpeningTest, StorePathsFollowTheDataHome) {
    const auto paths =
        StorePaths::forEnvironment([](const char* name) -> std::optional<std::string> {
            if (std::string_view(name) == "XDG_DATA_HOME") return "/data";
            return std::nullopt;
        });
    ASSERT_TRUE(paths);
    EXPECT_EQ(paths->database, "/data/Orvale/Orvale.sqlite");
    EXPECT_EQ(paths->backup, "/data/Orvale/Orvale.backup.sqlite");
    EXPECT_EQ(paths->resetMarker, "/data/Orvale/Orvale.reset-pending");
    EXPECT_EQ(paths->legacyDirectory(), "/data/layouts");
    const auto home =
        StorePaths::forEnvironment([](const char* name) -> std::optional<std::string> {
            if (std::string_view(name) == "HOME") return "/home/u";
            return std::nullopt;
        });
    EXPECT_EQ(home->directory, "/home/u/.local/share/Orvale");
}

void writeOldVersion(const fs::path& path, int version) {
    std::string schema(LayoutSchema::kSchema);
    schema.replace(schema.find("    frame_inferred INTEGER NOT NULL DEFAULT 1,\n"), 47, "");
    schema.replace(schema.find("    CHECK (frame_inferred IN (0, 1))\n"), 37, "");
    schema.replace(schema.find("CHECK (is_primary IN (0, 1)),"), 29,
                   "CHECK (is_primary IN (0, 1))");
    const std::string id = Uuid::generate().text();
    std::string displayRow = "'" + id + "', '1552-41004-7', 0, 1552, 41004, 7, 0, ";
    if (version == 1) {
        for (const char* column :
             {"    frame_x REAL NOT NULL,\n", "    frame_y REAL NOT NULL,\n",
              "    frame_width REAL NOT NULL,\n", "    frame_height REAL NOT NULL,\n",
              "    CHECK (frame_width > 0 AND frame_height > 0),\n"}) {
            schema.erase(schema.find(column), std::string(column).size());
        }
    } else {
        displayRow += "0, 0, 1440, 900, ";
    }
    displayRow += "0, 25, 1440, 875, 2880, 1800, 2, 1";
    fs::create_directories(path.parent_path());
    rawSQL(path, schema + "PRAGMA user_version = " + std::to_string(version) +
                     ";INSERT INTO layouts VALUES ('" + id +
                     "', 'Old', 0, 0, 1, 'sig', NULL, NULL);" + "INSERT INTO displays VALUES (" +
                     displayRow + ");");
}

TEST_F(StoreOpeningTest, Version1IsBackedUpThenUpgradedWithANotice) {
    writeOldVersion(harness.paths.database, 1);
    auto result = harness.open();
    ASSERT_TRUE(result.notice);
    EXPECT_EQ(*result.notice,
              (StorageNotice{"Display links refreshed",
                             "Re-link your layouts in Layout details to keep display automation "
                             "working.",
                             std::nullopt}));
    const auto layouts = result.store->loadLayouts();
    ASSERT_EQ(layouts.size(), 1u);
    EXPECT_FALSE(layouts[0].automationEnabled);
    EXPECT_TRUE(layouts[0].displays[0].frameInferred);
    result.store.reset();
    EXPECT_EQ(harness.fileNames(),
              (std::vector<std::string>{"Orvale.backup.sqlite", "Orvale.sqlite"}));
    EXPECT_EQ(rawUserVersion(harness.paths.database), 3);
    EXPECT_EQ(rawUserVersion(harness.paths.backup), 1);
    EXPECT_EQ(headerJournalMode(harness.paths.backup), 1);
}

TEST_F(StoreOpeningTest, Version2IsBackedUpThenUpgradedWithoutANotice) {
    writeOldVersion(harness.paths.database, 2);
    auto result = harness.open();
    EXPECT_FALSE(result.notice);
    EXPECT_EQ(result.store->loadLayouts()[0].displays[0].frame, (RectD{0, 0, 1440, 900}));
    EXPECT_TRUE(result.store->loadLayouts()[0].automationEnabled);
    result.store.reset();
    EXPECT_EQ(rawUserVersion(harness.paths.backup), 2);
}

TEST_F(StoreOpeningTest, AFailedPreUpgradeBackupPausesTheUpgrade) {
    writeOldVersion(harness.paths.database, 1);
    const std::string before = readFile(harness.paths.database);
    harness.files->fail(Op::rename, "Orvale.backup.sqlite");
    const StorageError error = openFailure(harness);
    EXPECT_EQ(error.kind(), Kind::storageUnavailable);
    EXPECT_TRUE(contains(error.detail(),
                         "Upgrade paused: backup failed. Couldn’t create a backup. Backup update "
                         "failed. Previous backup kept."))
        << error.what();
    EXPECT_EQ(readFile(harness.paths.database), before);
    EXPECT_EQ(harness.fileNames(), std::vector<std::string>{"Orvale.sqlite"});
}

TEST_F(StoreOpeningTest, Version4IsRefusedAndLeftByteForByte) {
    fs::create_directories(harness.paths.directory);
    rawSQL(harness.paths.database, "CREATE TABLE future (x); PRAGMA user_version = 4;");
    const std::string before = readFile(harness.paths.database);
    const StorageError error = openFailure(harness);
    EXPECT_EQ(error.kind(), Kind::futureSchema);
    EXPECT_EQ(std::string(error.what()), "Update Orvale for database version 4. File unchanged: " +
                                             harness.paths.database.string() + ".");
    EXPECT_EQ(readFile(harness.paths.database), before);
    EXPECT_EQ(harness.fileNames(), std::vector<std::string>{"Orvale.sqlite"});
}

TEST_F(StoreOpeningTest, AValidationFailureOfACurrentFileIsRaisedAndTheFileKept) {
    harness.addLayouts(1);
    rawSQL(harness.paths.database, "UPDATE windows SET subrole = ''");
    const std::string before = readFile(harness.paths.database);
    const StorageError error = openFailure(harness);
    EXPECT_EQ(std::string(error.what()),
              "Couldn’t read saved layouts. A saved window is missing required identity fields.");
    EXPECT_EQ(readFile(harness.paths.database), before);
    // The read-only probe of a write-ahead file may leave empty sidecars; no
    // other file appears and nothing is recovered.
    for (const std::string& name : harness.fileNames()) {
        EXPECT_TRUE(name.starts_with("Orvale.sqlite")) << name;
    }
}

TEST_F(StoreOpeningTest, AGarbageFileIsRecoveredFromAGoodBackup) {
    damageWithGoodBackup();
    auto result = harness.open();
    ASSERT_TRUE(result.notice);
    EXPECT_EQ(*result.notice,
              (StorageNotice{"Your layouts are back",
                             "Saved layouts were restored from the last backup. The damaged copy "
                             "is kept for recovery.",
                             "Preserved files: " + kPreserved + "."}));
    EXPECT_EQ(result.store->loadLayouts().size(), 2u);
    EXPECT_EQ(readFile(harness.paths.directory / kPreserved), kGarbage);
    result.store.reset();
    EXPECT_EQ(harness.fileNames(),
              (std::vector<std::string>{"Orvale.backup.sqlite", kPreserved, "Orvale.sqlite"}));
}

TEST_F(StoreOpeningTest, WithAResetMarkerTheBackupIsNotRestored) {
    damageWithGoodBackup();
    writeFile(harness.paths.resetMarker, "pending");
    auto result = harness.open();
    ASSERT_TRUE(result.notice);
    EXPECT_EQ(result.notice->title, "Starting with a clean slate");
    EXPECT_EQ(result.notice->message,
              "Orvale couldn’t open the previous data, so it created a fresh, empty library. The "
              "backup from before the last reset was not restored.");
    EXPECT_EQ(result.notice->details, "Preserved files: " + kPreserved + ".");
    EXPECT_TRUE(result.store->loadLayouts().empty());
    result.store.reset();
    // The fresh library was backed up and the marker cleared.
    EXPECT_FALSE(fs::exists(harness.paths.resetMarker));
    EXPECT_EQ(layoutCount(harness.paths.backup), 0u);
}

TEST_F(StoreOpeningTest, WithoutABackupACleanSlateKeepsTheOriginals) {
    fs::create_directories(harness.paths.directory);
    writeFile(harness.paths.database, kGarbage);
    auto result = harness.open();
    ASSERT_TRUE(result.notice);
    EXPECT_EQ(result.notice->message,
              "Orvale couldn’t open the previous data, so it created a fresh, empty library. The "
              "original files were kept.");
    EXPECT_EQ(result.notice->details, "Preserved files: " + kPreserved + ".");
    EXPECT_EQ(readFile(harness.paths.directory / kPreserved), kGarbage);
}

TEST_F(StoreOpeningTest, ABackupThatFailsItsChecksStopsRecoveryAndLeavesTheDatabase) {
    harness.addLayouts(1);
    writeFile(harness.paths.database, kGarbage);
    writeFile(harness.paths.backup, kGarbage + "backup");
    const StorageError error = openFailure(harness);
    EXPECT_EQ(error.kind(), Kind::recoveryFailed);
    EXPECT_TRUE(contains(error.detail(), "SQLite reported damaged or invalid data ("));
    EXPECT_TRUE(contains(error.detail(), " The backup at " + harness.paths.backup.string() +
                                             " could not be used: "));
    EXPECT_TRUE(error.detail().ends_with(" The original database was left in place."));
    EXPECT_EQ(readFile(harness.paths.database), kGarbage);
    EXPECT_EQ(harness.fileNames(),
              (std::vector<std::string>{"Orvale.backup.sqlite", "Orvale.sqlite"}));
}

TEST_F(StoreOpeningTest, AnotherProcessHoldingTheLockBytesStopsRecovery) {
    damageWithGoodBackup();
    const auto before = harness.fileNames();
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(release[1]);
        // As SQLite's shared lock would: a read lock on the shared-byte range.
        const int fd = ::open(harness.paths.database.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_RDLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0x40000000 + 2;
        lock.l_len = 510;
        const char ok = (fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0) ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        char ignored;
        (void)!::read(release[0], &ignored, 1);
        ::_exit(0);
    }
    ::close(release[0]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    const StorageError error = openFailure(harness);
    ::close(release[1]);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(error.kind(), Kind::storageUnavailable);
    EXPECT_EQ(error.detail(), "Another app has the layout database open. Close it or try again.");
    EXPECT_EQ(harness.fileNames(), before);
    EXPECT_EQ(readFile(harness.paths.database), kGarbage);
}

// Every failure on the way through recovery leaves the live set as it was.
struct RecoveryFault {
    std::string step;  // names the test case
    Op operation;
    std::string name;
    std::string expected;
};

void PrintTo(const RecoveryFault& fault, std::ostream* out) {
    *out << fault.step;
}

class RecoveryFailureTest : public StoreOpeningTest,
                            public ::testing::WithParamInterface<RecoveryFault> {};

TEST_P(RecoveryFailureTest, LeavesTheLiveFilesUnchangedOrRestored) {
    damageWithGoodBackup();
    const std::string backupBefore = readFile(harness.paths.backup);
    harness.files->fail(GetParam().operation, GetParam().name, EIO);
    const StorageError error = openFailure(harness);
    EXPECT_TRUE(contains(error.what(), GetParam().expected)) << error.what();
    EXPECT_EQ(readFile(harness.paths.database), kGarbage);
    EXPECT_EQ(readFile(harness.paths.backup), backupBefore);
    for (const std::string& name : harness.fileNames()) {
        EXPECT_FALSE(contains(name, "candidate")) << name;
        EXPECT_FALSE(contains(name, ".tmp-")) << name;
        EXPECT_FALSE(name.ends_with("-wal") || name.ends_with("-shm")) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, RecoveryFailureTest,
    ::testing::Values(
        RecoveryFault{"CopyBackup", Op::copy, "candidate",
                      "Couldn’t recover the database. The backup could not be copied: Input/output "
                      "error"},
        RecoveryFault{"OpenForLocking", Op::openForLocking, "Orvale.sqlite",
                      "Storage is unavailable. Exclusive recovery access to the layout database "
                      "could not be established."},
        RecoveryFault{"LockRange", Op::lockRange, "",
                      "Another app has the layout database open. Close it or try again."},
        RecoveryFault{"PreserveDamaged", Op::link, "corrupt",
                      "Couldn’t recover the database. The damaged database could not be "
                      "preserved: Input/output error. No active files were changed."},
        RecoveryFault{"MoveDamagedAside", Op::remove, "Orvale.sqlite",
                      "Couldn’t recover the database. The damaged database could not be moved "
                      "aside: Input/output error. No active files were changed."},
        RecoveryFault{"InstallReplacement", Op::rename, "Orvale.sqlite",
                      " The replacement could not be installed: Input/output error The original "
                      "files are preserved as " +
                          kPreserved + "."}),
    [](const ::testing::TestParamInfo<RecoveryFault>& info) { return info.param.step; });

TEST_F(StoreOpeningTest, AFailedInstallKeepsThePreservedCopy) {
    damageWithGoodBackup();
    harness.files->fail(Op::rename, "Orvale.sqlite");
    openFailure(harness);
    EXPECT_EQ(readFile(harness.paths.directory / kPreserved), kGarbage);
    harness.files->clear();
    auto result = harness.open();
    EXPECT_EQ(result.notice->title, "Your layouts are back");
}

TEST_F(StoreOpeningTest, LegacyDataIsAdoptedExactlyOnce) {
    StoreHarness legacyMaker;
    legacyMaker.addLayouts(3);
    legacyMaker.open().store->backupNow();
    const fs::path legacy = harness.paths.legacyDirectory();
    fs::create_directories(legacy);
    fs::copy_file(legacyMaker.paths.database, legacy / "layouts.sqlite");
    fs::copy_file(legacyMaker.paths.backup, legacy / "layouts.backup.sqlite");
    writeFile(legacy / "layouts.sqlite-shm", "never copied");
    const std::string legacyBytes = readFile(legacy / "layouts.sqlite");

    auto result = harness.open();
    ASSERT_TRUE(result.notice);
    EXPECT_EQ(*result.notice,
              (StorageNotice{"Saved layouts copied to Orvale",
                             "Your saved layouts and backup were copied from the previous app "
                             "name. The old folder was left untouched.",
                             "Previous location: " + legacy.string()}));
    EXPECT_EQ(result.store->loadLayouts().size(), 3u);
    result.store->createLayout("New", {sampleDisplay(1)}, {sampleEntry(sampleDisplay(1))},
                               std::nullopt);
    result.store.reset();
    EXPECT_EQ(readFile(legacy / "layouts.sqlite"), legacyBytes);
    EXPECT_EQ(layoutCount(harness.paths.backup), 3u);

    auto again = harness.open();
    EXPECT_FALSE(again.notice);
    EXPECT_EQ(again.store->loadLayouts().size(), 4u);
}

TEST_F(StoreOpeningTest, AFailedAdoptionCopiesNothing) {
    const fs::path legacy = harness.paths.legacyDirectory();
    StoreHarness legacyMaker;
    legacyMaker.addLayouts(1);
    fs::create_directories(legacy);
    fs::copy_file(legacyMaker.paths.database, legacy / "layouts.sqlite");
    writeFile(legacy / "layouts.backup.sqlite", "backup");
    harness.files->fail(Op::copy, "Orvale.backup.sqlite");
    const StorageError error = openFailure(harness);
    EXPECT_TRUE(error.detail().starts_with(
        "Saved layouts from the previous app name could not be copied to " +
        harness.paths.directory.string() + ". "))
        << error.what();
    EXPECT_TRUE(harness.fileNames().empty());
}

TEST_F(StoreOpeningTest, BackupNowWritesAVerifiedSingleFile) {
    harness.addLayouts(2);
    writeFile(fs::path(harness.paths.backup.string() + ".tmp-stale"), "old attempt");
    writeFile(harness.paths.resetMarker, "pending");
    auto result = harness.open();
    // Opening with the marker already took a backup and cleared it.
    EXPECT_FALSE(fs::exists(harness.paths.resetMarker));
    EXPECT_EQ(result.store->backupNow(), harness.paths.backup);
    EXPECT_EQ(headerJournalMode(harness.paths.backup), 1);
    EXPECT_EQ(layoutCount(harness.paths.backup), 2u);
    for (const std::string& name : harness.fileNames()) EXPECT_FALSE(contains(name, ".tmp-"));
}

TEST_F(StoreOpeningTest, AFailedBackupKeepsThePreviousOne) {
    harness.addLayouts(1);
    auto result = harness.open();
    result.store->backupNow();
    const std::string before = readFile(harness.paths.backup);
    result.store->createLayout("More", {sampleDisplay(1)}, {sampleEntry(sampleDisplay(1))},
                               std::nullopt);
    harness.files->fail(Op::rename, "Orvale.backup.sqlite", ENOSPC);
    try {
        result.store->backupNow();
        FAIL();
    } catch (const StorageError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Couldn’t create a backup. Backup update failed. Previous backup kept. No space "
                  "left on device");
    }
    EXPECT_EQ(readFile(harness.paths.backup), before);
    harness.files->clear();
    harness.files->fail(Op::syncFile, ".tmp-");
    EXPECT_THROW(result.store->backupNow(), StorageError);
    EXPECT_EQ(readFile(harness.paths.backup), before);
    for (const std::string& name : harness.fileNames()) EXPECT_FALSE(contains(name, ".tmp-"));
}

TEST_F(StoreOpeningTest, ResetClearsEverythingAndBacksUpTheCleanState) {
    harness.addLayouts(2);
    auto result = harness.open();
    result.store->addExclusion("org.x", "X");
    result.store->backupNow();
    EXPECT_EQ(result.store->resetDatabase(), std::nullopt);
    EXPECT_TRUE(result.store->loadLayouts().empty());
    EXPECT_TRUE(result.store->loadExclusions().empty());
    EXPECT_FALSE(fs::exists(harness.paths.resetMarker));
    EXPECT_EQ(layoutCount(harness.paths.backup), 0u);
}

TEST_F(StoreOpeningTest, AResetThatCannotStartDeletesNothing) {
    harness.addLayouts(2);
    auto result = harness.open();
    harness.files->fail(Op::writeFile, "reset-pending");
    try {
        result.store->resetDatabase();
        FAIL();
    } catch (const StorageError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Reset failed. No saved data removed. A safe reset could not be started. "
                  "Nothing was deleted. Couldn’t save changes. The reset marker could not be "
                  "created.");
    }
    EXPECT_EQ(result.store->loadLayouts().size(), 2u);
    EXPECT_FALSE(fs::exists(harness.paths.resetMarker));
}

TEST_F(StoreOpeningTest, AResetWhoseBackupFailsIsFinishedByTheNextOpen) {
    harness.addLayouts(2);
    auto result = harness.open();
    harness.files->fail(Op::rename, "Orvale.backup.sqlite");
    const auto warning = result.store->resetDatabase();
    ASSERT_TRUE(warning);
    EXPECT_TRUE(warning->starts_with(
        "Data cleared, but a clean backup couldn’t be saved, so older backups won’t be used for "
        "automatic recovery. Couldn’t create a backup. Backup update failed."))
        << *warning;
    EXPECT_TRUE(fs::exists(harness.paths.resetMarker));
    result.store.reset();

    // Still failing: the store opens with "Backup protection paused".
    auto paused = harness.open();
    ASSERT_TRUE(paused.notice);
    EXPECT_EQ(paused.notice->title, "Backup protection paused");
    EXPECT_EQ(paused.notice->message,
              "Saved data is available, but a clean backup couldn’t be saved. Older backups won’t "
              "be restored automatically.");
    EXPECT_TRUE(paused.notice->details->starts_with("The next launch will try again. "));
    paused.store.reset();

    harness.files->clear();
    auto finished = harness.open();
    EXPECT_FALSE(finished.notice);
    EXPECT_FALSE(fs::exists(harness.paths.resetMarker));
    finished.store.reset();
    EXPECT_EQ(layoutCount(harness.paths.backup), 0u);
}

TEST_F(StoreOpeningTest, AResetWhoseCleanupFailsWarnsAndKeepsTheMarker) {
    harness.addLayouts(1);
    auto result = harness.open();
    harness.files->fail(Op::remove, "reset-pending");
    const auto warning = result.store->resetDatabase();
    ASSERT_TRUE(warning);
    EXPECT_TRUE(warning->starts_with(
        "Data cleared and a clean backup was saved, but reset cleanup couldn’t finish. Restart "
        "Orvale to finish. Couldn’t save changes. The reset marker could not be removed: "))
        << *warning;
    EXPECT_TRUE(fs::exists(harness.paths.resetMarker));
    EXPECT_TRUE(readFile(harness.paths.resetMarker)
                    .starts_with("Automatic recovery is paused until a backup of the reset "
                                 "database is saved.\nReset started: 2026-01-01T00:00:00Z"));
    result.store.reset();
    auto reopened = harness.open();
    ASSERT_TRUE(reopened.notice);
    EXPECT_EQ(reopened.notice->message,
              "A clean backup was saved, but reset cleanup couldn’t finish. Restart Orvale to "
              "finish.");
}

}  // namespace
}  // namespace orvale
