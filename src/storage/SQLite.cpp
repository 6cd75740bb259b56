#include "storage/SQLite.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>

#include "storage/FileSystem.h"

namespace orvale {
namespace {

int flagsFor(SQLiteDatabase::OpenMode mode) {
    switch (mode) {
        case SQLiteDatabase::OpenMode::readOnly:
            return SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX;
        case SQLiteDatabase::OpenMode::readWrite:
            return SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
        case SQLiteDatabase::OpenMode::readWriteCreate:
            return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    }
    return SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX;
}

SQLiteFailure failureOf(sqlite3* handle) {
    return SQLiteFailure(sqlite3_errcode(handle), sqlite3_extended_errcode(handle),
                         sqlite3_errmsg(handle));
}

}  // namespace

SQLiteDatabase::SQLiteDatabase(std::filesystem::path path, OpenMode mode,
                               JournalPolicy journalPolicy, int busyTimeoutMilliseconds)
    : path_(std::move(path)) {
    sqlite3* handle = nullptr;
    const int result = sqlite3_open_v2(path_.c_str(), &handle, flagsFor(mode), nullptr);
    if (!handle) throw SQLiteFailure(result, result, "Unable to open the database.");
    if (result != SQLITE_OK) {
        SQLiteFailure failure = failureOf(handle);
        sqlite3_close_v2(handle);
        throw failure;
    }
    handle_ = handle;
    try {
        sqlite3_busy_timeout(handle_, busyTimeoutMilliseconds);
        execute("PRAGMA foreign_keys = ON;");
        if (mode != OpenMode::readOnly && journalPolicy == JournalPolicy::writeAhead) {
            execute("PRAGMA journal_mode = WAL;");
            execute("PRAGMA synchronous = FULL;");
        }
    } catch (...) {
        close();
        throw;
    }
}

SQLiteDatabase::~SQLiteDatabase() {
    close();
}

void SQLiteDatabase::close() {
    if (!handle_) return;
    // close_v2 defers the close until any statement still alive is finalized.
    sqlite3_close_v2(handle_);
    handle_ = nullptr;
}

int SQLiteDatabase::changes() const {
    return handle_ ? sqlite3_changes(handle_) : 0;
}

SQLiteFailure SQLiteDatabase::currentFailure() const {
    return failureOf(handle_);
}

void SQLiteDatabase::execute(std::string_view sql) {
    if (!handle_) throw StorageError::writeFailed(kDatabaseClosed);
    char* error = nullptr;
    const std::string text(sql);
    const int result = sqlite3_exec(handle_, text.c_str(), nullptr, nullptr, &error);
    if (result == SQLITE_OK) return;
    std::string message =
        error ? std::string(error) : "SQLite error " + std::to_string(result) + ".";
    sqlite3_free(error);
    throw SQLiteFailure(sqlite3_errcode(handle_), sqlite3_extended_errcode(handle_),
                        std::move(message));
}

void SQLiteDatabase::quickCheck() {
    if (!handle_) throw StorageError::readFailed(kDatabaseClosed);
    SQLiteStatement statement(*this, "PRAGMA quick_check;");
    if (!statement.step()) throw SQLiteFailure(11, 11, "SQLite returned no integrity result.");
    const std::string result = statement.text(0).value_or("unknown");
    if (result != "ok") {
        throw SQLiteFailure(11, 11, "SQLite reported an integrity problem: " + result + ".");
    }
}

void SQLiteDatabase::foreignKeyCheck() {
    if (!handle_) throw StorageError::readFailed(kDatabaseClosed);
    SQLiteStatement statement(*this, "PRAGMA foreign_key_check;");
    if (!statement.step()) return;
    throw SQLiteFailure(
        11, 11,
        "A related row in " + statement.text(0).value_or("unknown") + " is missing its parent.");
}

std::int64_t SQLiteDatabase::userVersion() {
    SQLiteStatement statement(*this, "PRAGMA user_version;");
    return statement.step() ? statement.integer(0) : 0;
}

void SQLiteDatabase::backup(const std::filesystem::path& destination) {
    if (!handle_) throw StorageError::backupFailed(kDatabaseClosed);
    if (::unlink(destination.c_str()) != 0 && errno != ENOENT) {
        throw FileSystemError("deleting", destination, errno);
    }
    sqlite3* target = nullptr;
    const int opened = sqlite3_open_v2(
        destination.c_str(), &target,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (opened != SQLITE_OK || !target) {
        std::string detail =
            target ? sqlite3_errmsg(target) : "Unable to open the backup destination.";
        if (target) sqlite3_close_v2(target);
        throw StorageError::backupFailed(detail);
    }
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", handle_, "main");
    if (!backup) {
        sqlite3_close_v2(target);
        throw StorageError::backupFailed("SQLite could not start the backup.");
    }
    const int stepped = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    sqlite3_close_v2(target);
    if (stepped != SQLITE_DONE) {
        throw StorageError::backupFailed("SQLite could not complete the backup.");
    }
}

SQLiteStatement::SQLiteStatement(SQLiteDatabase& database, std::string_view sql)
    : database_(database) {
    if (!database_.isOpen()) throw StorageError::readFailed(kDatabaseClosed);
    const int result = sqlite3_prepare_v2(database_.handle(), sql.data(),
                                          static_cast<int>(sql.size()), &statement_, nullptr);
    if (result != SQLITE_OK || !statement_) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        throw database_.currentFailure();
    }
}

SQLiteStatement::~SQLiteStatement() {
    sqlite3_finalize(statement_);
}

void SQLiteStatement::check(int result) {
    if (result != SQLITE_OK) throw database_.currentFailure();
}

bool SQLiteStatement::step() {
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    throw database_.currentFailure();
}

void SQLiteStatement::run() {
    if (step()) throw SQLiteFailure(SQLITE_MISUSE, SQLITE_MISUSE, "A statement returned a row.");
}

void SQLiteStatement::reset() {
    // The result of reset repeats the last step's failure, which was already raised.
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

void SQLiteStatement::bindOptionalText(int index, const std::optional<std::string>& text) {
    if (text) {
        bindText(index, std::string_view(*text));
    } else {
        bindNull(index);
    }
}

void SQLiteStatement::bindText(int index, std::string_view text) {
    check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT));
}

void SQLiteStatement::bindInteger(int index, std::int64_t value) {
    check(sqlite3_bind_int64(statement_, index, value));
}

void SQLiteStatement::bindDouble(int index, double value) {
    check(sqlite3_bind_double(statement_, index, value));
}

void SQLiteStatement::bindNull(int index) {
    check(sqlite3_bind_null(statement_, index));
}

bool SQLiteStatement::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::optional<std::string> SQLiteStatement::text(int column) const {
    if (auto text = view(column)) return std::string(*text);
    return std::nullopt;
}

std::optional<std::string_view> SQLiteStatement::view(int column) const {
    const auto* bytes = sqlite3_column_text(statement_, column);
    // Without text, the value is NULL (or SQLite ran out of memory).
    if (!bytes) return isNull(column) ? std::nullopt : std::optional(std::string_view());
    return std::string_view(reinterpret_cast<const char*>(bytes),
                            static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

double SQLiteStatement::real(int column) const {
    return sqlite3_column_double(statement_, column);
}

std::int64_t SQLiteStatement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

}  // namespace orvale
