#include "storage/StorageError.h"

#include "model/LayoutName.h"

namespace orvale {
namespace {

constexpr const char* kTryAgain = "Try again. If it keeps happening, reveal the storage folder.";
constexpr const char* kCheckStorage =
    "Check that the storage folder is available and there is enough disk space, then try again.";
constexpr const char* kKeptOriginals =
    "Orvale kept the original files. Reveal the storage folder to inspect them.";

std::string describe(StorageError::Kind kind, const std::string& detail, std::int64_t version) {
    using Kind = StorageError::Kind;
    switch (kind) {
        case Kind::openFailed:
            return "Couldn’t open the database. " + detail;
        case Kind::storageUnavailable:
            return "Storage is unavailable. " + detail;
        case Kind::corrupted:
            return "The database is damaged. " + detail;
        case Kind::readFailed:
            return "Couldn’t read saved layouts. " + detail;
        case Kind::writeFailed:
            return "Couldn’t save changes. " + detail;
        case Kind::futureSchema:
            return "Update Orvale for database version " + std::to_string(version) +
                   ". File unchanged: " + detail + ".";
        case Kind::migrationFailed:
            return "Couldn’t upgrade the database. Original file kept. " + detail;
        case Kind::backupFailed:
            return "Couldn’t create a backup. " + detail;
        case Kind::recoveryFailed:
            return "Couldn’t recover the database. " + detail;
        case Kind::resetFailed:
            return "Reset failed. No saved data removed. " + detail;
        case Kind::duplicateName:
            return "A layout named “" + detail + "” already exists.";
        case Kind::invalidName:
            return std::string(kEnterLayoutNameMessage);
        case Kind::emptyLayout:
            return "A layout needs at least one window.";
        case Kind::lastEntry:
            return "Keep one window, or delete the layout.";
        case Kind::entryNotFound:
            return "That saved window is no longer part of the layout.";
        case Kind::layoutNotFound:
            return "That layout is no longer available.";
    }
    return detail;
}

}  // namespace

std::string SQLiteFailure::described() const {
    switch (primary_) {
        case 3:
        case 8:
            return "The layout database is read-only or cannot be written (" + message_ + ").";
        case 5:
        case 6:
            return "Another app or connection is using the layout database (" + message_ + ").";
        case 10:
            return "The disk reported an I/O error (" + message_ + ").";
        case 11:
        case 26:
            return "SQLite reported damaged or invalid data (" + message_ + ").";
        case 13:
            return "The disk is full (" + message_ + ").";
        default:
            return message_;
    }
}

StorageError::StorageError(Kind kind, std::string detail, std::int64_t version)
    : kind_(kind),
      detail_(std::move(detail)),
      version_(version),
      description_(describe(kind_, detail_, version_)) {}

StorageError StorageError::futureSchema(std::int64_t version, std::string path) {
    return StorageError(Kind::futureSchema, std::move(path), version);
}

std::string StorageError::recoverySuggestion() const {
    switch (kind_) {
        case Kind::openFailed:
        case Kind::storageUnavailable:
            return kCheckStorage;
        case Kind::corrupted:
        case Kind::recoveryFailed:
            return kKeptOriginals;
        case Kind::futureSchema:
            return "Update Orvale to continue. Your saved data is unchanged.";
        case Kind::migrationFailed:
            return "Your original file was kept. Check storage, then try again.";
        default:
            return kTryAgain;
    }
}

}  // namespace orvale
