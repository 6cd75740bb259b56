#include "storage/FileSystem.h"

#include <gtest/gtest.h>

#include "support/FaultInjectingFileSystem.h"
#include "support/TemporaryFolder.h"

namespace orvale {
namespace {

using namespace orvale::testing;

TEST(FileSystemTest, WriteDurablyReplacesTheFileAndLeavesNoTemporary) {
    TemporaryFolder folder;
    FaultInjectingFileSystem files;
    writeFile(folder / "f", "old");
    writeDurably(files, "new", folder / "f");
    EXPECT_EQ(readFile(folder / "f"), "new");
    EXPECT_EQ(files.list(folder.path()), std::vector<std::string>{"f"});
    EXPECT_EQ(files.calls(Op::syncFolder), 1);
}

TEST(FileSystemTest, AFailedReplaceKeepsTheOldFileAndRemovesTheTemporary) {
    TemporaryFolder folder;
    FaultInjectingFileSystem files;
    writeFile(folder / "f", "old");
    files.fail(Op::rename, "f", ENOSPC);
    try {
        writeDurably(files, "new", folder / "f");
        FAIL();
    } catch (const FileSystemError& error) {
        EXPECT_EQ(error.error(), ENOSPC);
        EXPECT_EQ(std::string(error.what()), "No space left on device");
    }
    EXPECT_EQ(readFile(folder / "f"), "old");
    EXPECT_EQ(files.list(folder.path()), std::vector<std::string>{"f"});
}

TEST(FileSystemTest, AFolderFlushFailureIsReportedOnlyWhenRequired) {
    TemporaryFolder folder;
    FaultInjectingFileSystem files;
    files.fail(Op::syncFolder);
    writeDurably(files, "a", folder / "f");
    EXPECT_THROW(writeDurably(files, "b", folder / "f", true), FileSystemError);
    EXPECT_EQ(readFile(folder / "f"), "b");
}

TEST(FileSystemTest, LinksAndCopiesRefuseExistingDestinations) {
    TemporaryFolder folder;
    PosixFileSystem files;
    writeFile(folder / "a", "bytes");
    files.link(folder / "a", folder / "b");
    EXPECT_EQ(readFile(folder / "b"), "bytes");
    EXPECT_THROW(files.link(folder / "a", folder / "b"), FileSystemError);
    EXPECT_THROW(files.copy(folder / "a", folder / "b"), FileSystemError);
    files.copy(folder / "a", folder / "c");
    EXPECT_EQ(readFile(folder / "c"), "bytes");
    files.remove(folder / "c");
    EXPECT_FALSE(files.exists(folder / "c"));
}

TEST(FileSystemTest, RecordLocksConflictOnlyAcrossProcesses) {
    TemporaryFolder folder;
    PosixFileSystem files;
    writeFile(folder / "db", "x");
    const int first = files.openForLocking(folder / "db");
    files.lockRange(first, 0x40000000, 512);
    // POSIX record locks belong to the process, so a second descriptor here
    // does not conflict; StoreOpeningTest checks another process.
    const int second = files.openForLocking(folder / "db");
    EXPECT_NO_THROW(files.lockRange(second, 0x40000000, 512));
    files.closeDescriptor(second);
    files.closeDescriptor(first);
}

}  // namespace
}  // namespace orvale
