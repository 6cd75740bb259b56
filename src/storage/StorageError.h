#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace orvale {

// A failure reported by SQLite: its primary and extended result codes and its
// message. `what()` is the message unchanged; `described()` is the friendlier
// text used when the failure is wrapped into a StorageError.
class SQLiteFailure : public std::exception {
  public:
    SQLiteFailure(std::int32_t primary, std::int32_t extended, std::string message)
        : primary_(primary), extended_(extended), message_(std::move(message)) {}

    std::int32_t primary() const { return primary_; }
    std::int32_t extended() const { return extended_; }
    const std::string& message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

    std::string described() const;

    // Codes 11 (corrupt) and 26 (not a database): damage that may be recovered
    // from a backup.
    bool isDamage() const { return primary_ == 11 || primary_ == 26; }

    bool operator==(const SQLiteFailure& other) const {
        return primary_ == other.primary_ && extended_ == other.extended_ &&
               message_ == other.message_;
    }

  private:
    std::int32_t primary_;
    std::int32_t extended_;
    std::string message_;
};

// The storage failures the user sees. `what()` is the exact description;
// `recoverySuggestion()` the text shown under it.
class StorageError : public std::exception {
  public:
    enum class Kind {
        openFailed,
        storageUnavailable,
        corrupted,
        readFailed,
        writeFailed,
        futureSchema,
        migrationFailed,
        backupFailed,
        recoveryFailed,
        resetFailed,
        duplicateName,
        invalidName,
        emptyLayout,
        lastEntry,
        entryNotFound,
        layoutNotFound,
    };

    static StorageError openFailed(std::string detail) { return {Kind::openFailed, detail}; }
    static StorageError storageUnavailable(std::string detail) {
        return {Kind::storageUnavailable, detail};
    }
    static StorageError corrupted(std::string detail) { return {Kind::corrupted, detail}; }
    static StorageError readFailed(std::string detail) { return {Kind::readFailed, detail}; }
    static StorageError writeFailed(std::string detail) { return {Kind::writeFailed, detail}; }
    static StorageError futureSchema(std::int64_t version, std::string path);
    static StorageError migrationFailed(std::string detail) {
        return {Kind::migrationFailed, detail};
    }
    static StorageError backupFailed(std::string detail) { return {Kind::backupFailed, detail}; }
    static StorageError recoveryFailed(std::string detail) {
        return {Kind::recoveryFailed, detail};
    }
    static StorageError resetFailed(std::string detail) { return {Kind::resetFailed, detail}; }
    // The name payload of duplicateName is kept in `detail`.
    static StorageError duplicateName(std::string name) { return {Kind::duplicateName, name}; }
    static StorageError invalidName() { return {Kind::invalidName, {}}; }
    static StorageError emptyLayout() { return {Kind::emptyLayout, {}}; }
    static StorageError lastEntry() { return {Kind::lastEntry, {}}; }
    static StorageError entryNotFound() { return {Kind::entryNotFound, {}}; }
    static StorageError layoutNotFound() { return {Kind::layoutNotFound, {}}; }

    Kind kind() const { return kind_; }
    // The text payload: the detail, or the name of duplicateName, or the path
    // of futureSchema.
    const std::string& detail() const { return detail_; }
    // The version of futureSchema (0 otherwise).
    std::int64_t version() const { return version_; }

    const std::string& description() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }
    std::string recoverySuggestion() const;

    bool operator==(const StorageError& other) const {
        return kind_ == other.kind_ && detail_ == other.detail_ && version_ == other.version_;
    }

  private:
    StorageError(Kind kind, std::string detail, std::int64_t version = 0);

    Kind kind_;
    std::string detail_;
    std::int64_t version_;
    std::string description_;
};

}  // namespace orvale
