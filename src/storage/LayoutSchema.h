#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/Layout.h"
#include "storage/SQLite.h"
#include "storage/StorePaths.h"

// The layout database's schema, its upgrades, the read-only probe that opens an
// existing file first, and the strict loaders. Loading is strict:
// one bad row fails the whole load with StorageError::readFailed naming what is
// wrong; no partial list is returned.
namespace orvale::LayoutSchema {

inline constexpr std::int64_t kCurrentVersion = 3;

// The full version-3 schema, word for word.
extern const std::string_view kSchema;

// Brings a file of version ≤ 2 to version 3, one committed transaction per
// step; a failed step is rolled back and raised, earlier steps stay.
void migrate(SQLiteDatabase& database, std::int64_t version);

// Opens the existing database read-only (busy timeout 1200 ms); when that fails
// other than by busy or locked, or when the file cannot be read without
// writing (the journal of an interrupted write must be rolled back first),
// read-write. Throws the (second) SQLiteFailure.
std::unique_ptr<SQLiteDatabase> openPreflight(const StorePaths& paths);

std::vector<Layout> loadLayouts(SQLiteDatabase& database);
std::vector<AppExclusion> loadExclusions(SQLiteDatabase& database);

}  // namespace orvale::LayoutSchema
