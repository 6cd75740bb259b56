#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "storage/StorageError.h"

struct sqlite3;
struct sqlite3_stmt;

namespace orvale {

// What every use of a closed connection or its statements fails with.
inline constexpr const char* kDatabaseClosed = "The database is closed.";

// One connection to a SQLite database file. Uniquely owned; the connection
// closes when the object goes away or on `close()`, after which every call
// fails with "The database is closed.". Connections are opened in SQLite's
// serialized mode, but a statement is this layer's own object: the owner of a
// connection still uses it and its statements from one thread at a time.
class SQLiteDatabase {
  public:
    enum class OpenMode { readOnly, readWrite, readWriteCreate };
    // `unchanged` leaves the file's journal mode as it is; `writeAhead` switches
    // the connection to write-ahead logging with synchronous = FULL, so that a
    // change is on disk when its commit returns.
    enum class JournalPolicy { unchanged, writeAhead };

    // Opens a connection, sets the busy timeout and turns on foreign keys.
    // Throws SQLiteFailure; a failed open leaves no connection behind.
    SQLiteDatabase(std::filesystem::path path, OpenMode mode, JournalPolicy journalPolicy,
                   int busyTimeoutMilliseconds);
    ~SQLiteDatabase();
    SQLiteDatabase(const SQLiteDatabase&) = delete;
    SQLiteDatabase& operator=(const SQLiteDatabase&) = delete;

    const std::filesystem::path& path() const { return path_; }
    sqlite3* handle() const { return handle_; }
    bool isOpen() const { return handle_ != nullptr; }

    // Runs one or more statements without results, stopping at the first
    // failure (SQLiteFailure). Closed: StorageError::writeFailed.
    void execute(std::string_view sql);
    // "PRAGMA quick_check;": only the first row is examined. A problem is an
    // SQLiteFailure with code 11. Closed: StorageError::readFailed.
    void quickCheck();
    // "PRAGMA foreign_key_check;": an orphan row is an SQLiteFailure with code 11.
    void foreignKeyCheck();
    // "PRAGMA user_version;", 0 when no row comes back.
    std::int64_t userVersion();
    // Online copy of the whole main database into a new file at `destination`,
    // replacing any file there. Throws StorageError::backupFailed, or
    // FileSystemError when an existing destination cannot be deleted.
    void backup(const std::filesystem::path& destination);
    // Rows changed by the last finished INSERT, UPDATE or DELETE.
    int changes() const;
    // Closes the connection now; later calls fail as closed.
    void close();

    // The connection's current result codes and message as a failure.
    SQLiteFailure currentFailure() const;

  private:
    std::filesystem::path path_;
    sqlite3* handle_ = nullptr;
};

// One prepared statement, finalized when the object goes away. It must not
// outlive its connection.
class SQLiteStatement {
  public:
    // Prepares `sql` (one statement). Throws SQLiteFailure, or
    // StorageError::readFailed when the connection is closed.
    SQLiteStatement(SQLiteDatabase& database, std::string_view sql);
    ~SQLiteStatement();
    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;

    // True when a row is available, false when done; anything else throws.
    bool step();
    // Steps once and requires "done".
    void run();
    // Resets the statement and clears its bindings, for the next use.
    void reset();

    // Parameters are 1-based. An absent text binds NULL.
    void bindOptionalText(int index, const std::optional<std::string>& text);
    void bindText(int index, std::string_view text);
    void bindInteger(int index, std::int64_t value);
    void bindDouble(int index, double value);
    void bindNull(int index);

    // Columns are 0-based.
    bool isNull(int column) const;
    // A NULL column is absent.
    std::optional<std::string> text(int column) const;
    // The same without a copy, valid until the next step, reset or column call.
    std::optional<std::string_view> view(int column) const;
    double real(int column) const;
    std::int64_t integer(int column) const;

  private:
    void check(int result);

    SQLiteDatabase& database_;
    sqlite3_stmt* statement_ = nullptr;
};

// Runs `body` in one "BEGIN IMMEDIATE" transaction, committed when it returns
// and rolled back when it throws. The body's error is the one that reaches the
// caller; should the rollback itself fail, SQLite rolls back the open
// transaction when the connection closes.
template <typename Body>
auto inImmediateTransaction(SQLiteDatabase& database, Body body) -> decltype(body()) {
    database.execute("BEGIN IMMEDIATE;");
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            database.execute("COMMIT;");
        } else {
            auto result = body();
            database.execute("COMMIT;");
            return result;
        }
    } catch (...) {
        try {
            database.execute("ROLLBACK;");
        } catch (...) {
        }
        throw;
    }
}

}  // namespace orvale
