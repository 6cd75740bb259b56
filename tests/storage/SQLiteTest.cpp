#include "storage/SQLite.h"

#include <gtest/gtest.h>

#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using Mode = SQLiteDatabase::OpenMode;
using Journal = SQLiteDatabase::JournalPolicy;
using testing::TemporaryFolder;
using testing::writeFile;

TEST(SQLiteTest, OpeningInAMissingFolderFailsWithCannotOpen) {
    TemporaryFolder folder;
    try {
        SQLiteDatabase database(folder / "missing" / "x.sqlite", Mode::readWrite,
                                Journal::unchanged, 100);
        FAIL();
    } catch (const SQLiteFailure& failure) {
        EXPECT_EQ(failure.primary(), 14);
        EXPECT_EQ(std::string(failure.what()), failure.message());
    }
}

TEST(SQLiteTest, AFileThatIsNotADatabaseFailsWithCode26) {
    TemporaryFolder folder;
    writeFile(folder / "x.sqlite", std::string(4096, 'g'));
    try {
        SQLiteDatabase database(folder / "x.sqlite", Mode::readWrite, Journal::unchanged, 100);
        database.quickCheck();
        FAIL();
    } catch (const SQLiteFailure& failure) {
        EXPECT_EQ(failure.primary(), 26);
        EXPECT_EQ(failure.described(),
                  "SQLite reported damaged or invalid data (" + failure.message() + ").");
    }
}

TEST(SQLiteTest, WriteAheadLoggingAndChecksOnAHealthyFile) {
    TemporaryFolder folder;
    SQLiteDatabase database(folder / "x.sqlite", Mode::readWriteCreate, Journal::writeAhead, 100);
    SQLiteStatement mode(database, "PRAGMA journal_mode;");
    ASSERT_TRUE(mode.step());
    EXPECT_EQ(mode.text(0), "wal");
    database.quickCheck();
    database.foreignKeyCheck();
    SQLiteStatement keys(database, "PRAGMA foreign_keys;");
    ASSERT_TRUE(keys.step());
    EXPECT_EQ(keys.integer(0), 1);
}

TEST(SQLiteTest, AnOrphanRowFailsTheForeignKeyCheck) {
    TemporaryFolder folder;
    SQLiteDatabase database(folder / "x.sqlite", Mode::readWriteCreate, Journal::unchanged, 100);
    database.execute(
        "CREATE TABLE parent (id INTEGER PRIMARY KEY);"
        "CREATE TABLE child (p INTEGER REFERENCES parent(id));"
        "PRAGMA foreign_keys = OFF; INSERT INTO child VALUES (5); PRAGMA foreign_keys = ON;");
    try {
        database.foreignKeyCheck();
        FAIL();
    } catch (const SQLiteFailure& failure) {
        EXPECT_EQ(failure.primary(), 11);
        EXPECT_EQ(failure.message(), "A related row in child is missing its parent.");
    }
}

TEST(SQLiteTest, BackupReplacesAFileAndFailsInAMissingFolder) {
    TemporaryFolder folder;
    SQLiteDatabase database(folder / "x.sqlite", Mode::readWriteCreate, Journal::writeAhead, 100);
    database.execute("CREATE TABLE t (v); INSERT INTO t VALUES (42);");
    writeFile(folder / "copy.sqlite", "old contents");
    database.backup(folder / "copy.sqlite");
    SQLiteDatabase copy(folder / "copy.sqlite", Mode::readOnly, Journal::unchanged, 100);
    SQLiteStatement value(copy, "SELECT v FROM t");
    ASSERT_TRUE(value.step());
    EXPECT_EQ(value.integer(0), 42);
    try {
        database.backup(folder / "missing" / "copy.sqlite");
        FAIL();
    } catch (const StorageError& error) {
        EXPECT_EQ(error.kind(), StorageError::Kind::backupFailed);
    }
}

TEST(SQLiteTest, AClosedConnectionFailsByOperation) {
    TemporaryFolder folder;
    SQLiteDatabase database(folder / "x.sqlite", Mode::readWriteCreate, Journal::unchanged, 100);
    database.close();
    try {
        database.execute("SELECT 1;");
        FAIL();
    } catch (const StorageError& error) {
        EXPECT_EQ(std::string(error.what()), "Couldn’t save changes. The database is closed.");
    }
    EXPECT_THROW(database.quickCheck(), StorageError);
    EXPECT_THROW(database.backup(folder / "b.sqlite"), StorageError);
    EXPECT_THROW(SQLiteStatement(database, "SELECT 1"), StorageError);
}

TEST(SQLiteTest, DescribedTextsByPrimaryCode) {
    EXPECT_EQ(SQLiteFailure(13, 13, "M").described(), "The disk is full (M).");
    EXPECT_EQ(SQLiteFailure(1, 1, "M").described(), "M");
    EXPECT_EQ(SQLiteFailure(5, 5, "M").described(),
              "Another app or connection is using the layout database (M).");
    EXPECT_EQ(SQLiteFailure(8, 8, "M").described(),
              "The layout database is read-only or cannot be written (M).");
    EXPECT_EQ(SQLiteFailure(10, 266, "M").described(), "The disk reported an I/O error (M).");
}

TEST(StorageErrorTest, DescriptionsAndSuggestions) {
    EXPECT_EQ(std::string(StorageError::futureSchema(4, "/x/Orvale.sqlite").what()),
              "Update Orvale for database version 4. File unchanged: /x/Orvale.sqlite.");
    EXPECT_EQ(StorageError::futureSchema(4, "p").recoverySuggestion(),
              "Update Orvale to continue. Your saved data is unchanged.");
    EXPECT_EQ(std::string(StorageError::duplicateName("Work").what()),
              "A layout named “Work” already exists.");
    EXPECT_EQ(StorageError::duplicateName("Work").recoverySuggestion(),
              "Try again. If it keeps happening, reveal the storage folder.");
    EXPECT_EQ(StorageError::recoveryFailed("d").recoverySuggestion(),
              "Orvale kept the original files. Reveal the storage folder to inspect them.");
    EXPECT_EQ(StorageError::storageUnavailable("d").recoverySuggestion(),
              "Check that the storage folder is available and there is enough disk space, then "
              "try again.");
    EXPECT_EQ(std::string(StorageError::migrationFailed("d").what()),
              "Couldn’t upgrade the database. Original file kept. d");
    EXPECT_EQ(std::string(StorageError::lastEntry().what()),
              "Keep one window, or delete the layout.");
}

}  // namespace
}  // namespace orvale
