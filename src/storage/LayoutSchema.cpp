#include "storage/LayoutSchema.h"

#include <cmath>
#include <set>
#include <string>

namespace orvale::LayoutSchema {

const std::string_view kSchema = R"SQL(CREATE TABLE IF NOT EXISTS layouts (
    id TEXT PRIMARY KEY NOT NULL,
    name TEXT NOT NULL COLLATE NOCASE UNIQUE,
    created_at REAL NOT NULL,
    updated_at REAL NOT NULL,
    automation_enabled INTEGER NOT NULL DEFAULT 0,
    automation_topology_signature TEXT,
    shortcut_key_code INTEGER,
    shortcut_modifiers INTEGER
);

CREATE TABLE IF NOT EXISTS displays (
    layout_id TEXT NOT NULL REFERENCES layouts(id) ON DELETE CASCADE,
    display_key TEXT NOT NULL,
    ordinal INTEGER NOT NULL,
    vendor INTEGER NOT NULL,
    model INTEGER NOT NULL,
    serial INTEGER NOT NULL,
    unit INTEGER NOT NULL,
    frame_x REAL NOT NULL,
    frame_y REAL NOT NULL,
    frame_width REAL NOT NULL,
    frame_height REAL NOT NULL,
    visible_x REAL NOT NULL,
    visible_y REAL NOT NULL,
    visible_width REAL NOT NULL,
    visible_height REAL NOT NULL,
    pixel_width INTEGER NOT NULL,
    pixel_height INTEGER NOT NULL,
    scale REAL NOT NULL,
    is_primary INTEGER NOT NULL,
    frame_inferred INTEGER NOT NULL DEFAULT 1,
    PRIMARY KEY (layout_id, display_key),
    CHECK (visible_width > 0 AND visible_height > 0),
    CHECK (frame_width > 0 AND frame_height > 0),
    CHECK (pixel_width > 0 AND pixel_height > 0),
    CHECK (is_primary IN (0, 1)),
    CHECK (frame_inferred IN (0, 1))
);

CREATE TABLE IF NOT EXISTS windows (
    id TEXT PRIMARY KEY NOT NULL,
    layout_id TEXT NOT NULL REFERENCES layouts(id) ON DELETE CASCADE,
    ordinal INTEGER NOT NULL,
    bundle_id TEXT NOT NULL,
    app_name TEXT NOT NULL,
    role TEXT NOT NULL,
    subrole TEXT NOT NULL,
    hostname TEXT,
    display_key TEXT NOT NULL,
    rel_x REAL NOT NULL,
    rel_y REAL NOT NULL,
    rel_width REAL NOT NULL,
    rel_height REAL NOT NULL,
    CHECK (rel_width > 0 AND rel_height > 0),
    CHECK (length(bundle_id) > 0 AND length(app_name) > 0),
    FOREIGN KEY (layout_id, display_key) REFERENCES displays(layout_id, display_key) ON DELETE CASCADE
);

CREATE INDEX IF NOT EXISTS windows_layout_idx ON windows(layout_id, ordinal);

CREATE TABLE IF NOT EXISTS exclusions (
    bundle_id TEXT PRIMARY KEY NOT NULL,
    app_name TEXT NOT NULL,
    created_at REAL NOT NULL,
    CHECK (length(bundle_id) > 0)
);
)SQL";

namespace {

constexpr std::string_view kUpgradeFromVersion1 =
    R"SQL(ALTER TABLE displays ADD COLUMN frame_x REAL NOT NULL DEFAULT 0;
ALTER TABLE displays ADD COLUMN frame_y REAL NOT NULL DEFAULT 0;
ALTER TABLE displays ADD COLUMN frame_width REAL NOT NULL DEFAULT 0;
ALTER TABLE displays ADD COLUMN frame_height REAL NOT NULL DEFAULT 0;
UPDATE displays
   SET frame_x = visible_x,
       frame_y = visible_y,
       frame_width = visible_width,
       frame_height = visible_height
 WHERE frame_width <= 0 OR frame_height <= 0;
UPDATE layouts
   SET automation_enabled = 0,
       automation_topology_signature = NULL
 WHERE automation_topology_signature IS NOT NULL;
)SQL";

constexpr std::string_view kUpgradeFromVersion2 =
    "ALTER TABLE displays ADD COLUMN frame_inferred INTEGER NOT NULL DEFAULT 1;";

constexpr const char* kClosed = "The database is closed.";

void runStep(SQLiteDatabase& database, std::string_view statements, std::int64_t reached) {
    inImmediateTransaction(database, [&] {
        database.execute(statements);
        database.execute("PRAGMA user_version = " + std::to_string(reached) + ";");
    });
}

[[noreturn]] void readFailed(const std::string& message) {
    throw StorageError::readFailed(message);
}

void requireOpen(const SQLiteDatabase& database) {
    if (!database.isOpen()) readFailed(kClosed);
}

double date(const SQLiteStatement& row, int column, const char* what) {
    const double value = row.real(column);
    if (!isValidStoredDate(value)) {
        readFailed(std::string(what) + " is not a valid date.");
    }
    return value;
}

}  // namespace

void migrate(SQLiteDatabase& database, std::int64_t version) {
    if (version <= 0) {
        runStep(database, kSchema, kCurrentVersion);
        return;
    }
    if (version == 1) {
        runStep(database, kUpgradeFromVersion1, 2);
        version = 2;
    }
    if (version == 2) runStep(database, kUpgradeFromVersion2, 3);
}

std::unique_ptr<SQLiteDatabase> openPreflight(const StorePaths& paths) {
    auto open = [&](SQLiteDatabase::OpenMode mode) {
        return std::make_unique<SQLiteDatabase>(paths.database, mode,
                                                SQLiteDatabase::JournalPolicy::unchanged, 1200);
    };
    std::unique_ptr<SQLiteDatabase> probe;
    try {
        probe = open(SQLiteDatabase::OpenMode::readOnly);
    } catch (const SQLiteFailure& failure) {
        if (failure.primary() == 5 || failure.primary() == 6) throw;
        return open(SQLiteDatabase::OpenMode::readWrite);
    }
    try {
        // SQLite reads the file only now. A read-only connection cannot roll
        // back the journal of an interrupted write, and says so with code 8;
        // any other failure is the caller's to see on its own first read.
        probe->userVersion();
    } catch (const SQLiteFailure& failure) {
        if (failure.primary() != 8) return probe;
        probe.reset();
        return open(SQLiteDatabase::OpenMode::readWrite);
    }
    return probe;
}

bool isValidStoredDate(double secondsSince1970) {
    return std::isfinite(secondsSince1970) && secondsSince1970 >= -62135596800.0 &&
           secondsSince1970 <= 4102444800.0;
}

std::uint32_t uint32(std::int64_t value, std::string_view field) {
    if (value < 0 || value > 4294967295LL) {
        readFailed(std::string(field) + " is outside the valid range.");
    }
    return static_cast<std::uint32_t>(value);
}

namespace {

constexpr const char* kDisplaysQuery =
    "SELECT display_key, vendor, model, serial, unit,\n"
    "       frame_x, frame_y, frame_width, frame_height,\n"
    "       visible_x, visible_y, visible_width, visible_height,\n"
    "       pixel_width, pixel_height, scale, is_primary, frame_inferred\n"
    "FROM displays\n"
    "WHERE layout_id = ?\n"
    "ORDER BY ordinal ASC";

constexpr const char* kEntriesQuery =
    "SELECT id, bundle_id, app_name, role, subrole, hostname, display_key,\n"
    "       rel_x, rel_y, rel_width, rel_height\n"
    "FROM windows\n"
    "WHERE layout_id = ?\n"
    "ORDER BY ordinal ASC";

// The per-layout loaders on statements prepared once per load and reset for
// each layout.
std::vector<DisplaySnapshot> readDisplays(SQLiteStatement& row, const Uuid& layoutID);
std::vector<WindowEntry> readEntries(SQLiteStatement& row, const Uuid& layoutID,
                                     const std::vector<DisplaySnapshot>& displays);

}  // namespace

std::vector<Layout> loadLayouts(SQLiteDatabase& database) {
    requireOpen(database);
    SQLiteStatement row(database,
                        "SELECT id, name, created_at, updated_at, automation_enabled,\n"
                        "       automation_topology_signature, shortcut_key_code, "
                        "shortcut_modifiers\n"
                        "FROM layouts\n"
                        "ORDER BY created_at ASC, name COLLATE NOCASE ASC");
    SQLiteStatement displayRows(database, kDisplaysQuery);
    SQLiteStatement entryRows(database, kEntriesQuery);
    std::vector<Layout> layouts;
    while (row.step()) {
        Layout layout;
        const auto id = row.text(0);
        const auto parsed = id ? Uuid::parse(*id) : std::nullopt;
        if (!parsed) readFailed("A layout row has an invalid identifier.");
        layout.id = *parsed;
        layout.name = row.text(1).value_or("");
        layout.createdAt = Timestamp{date(row, 2, "A layout creation date")};
        layout.updatedAt = Timestamp{date(row, 3, "A layout update date")};
        layout.automationEnabled = row.integer(4) != 0;
        layout.automationTopologySignature = row.text(5);
        const bool keyMissing = row.isNull(6);
        const bool modifiersMissing = row.isNull(7);
        if (keyMissing != modifiersMissing) readFailed("A layout shortcut is incomplete.");
        if (!keyMissing) {
            Shortcut shortcut{uint32(row.integer(6), "A shortcut key code"),
                              uint32(row.integer(7), "A shortcut modifier mask")};
            if (!shortcut.isStorable()) {
                readFailed("A layout shortcut is outside the supported range.");
            }
            layout.shortcut = shortcut;
        }
        layout.displays = readDisplays(displayRows, layout.id);
        layout.entries = readEntries(entryRows, layout.id, layout.displays);
        layouts.push_back(std::move(layout));
    }
    return layouts;
}

std::vector<DisplaySnapshot> loadDisplays(SQLiteDatabase& database, const Uuid& layoutID) {
    requireOpen(database);
    SQLiteStatement row(database, kDisplaysQuery);
    return readDisplays(row, layoutID);
}

std::vector<WindowEntry> loadEntries(SQLiteDatabase& database, const Uuid& layoutID,
                                     const std::vector<DisplaySnapshot>& displays) {
    requireOpen(database);
    SQLiteStatement row(database, kEntriesQuery);
    return readEntries(row, layoutID, displays);
}

namespace {

std::vector<DisplaySnapshot> readDisplays(SQLiteStatement& row, const Uuid& layoutID) {
    row.reset();
    row.bindText(1, layoutID.text());
    std::vector<DisplaySnapshot> displays;
    std::set<std::string> keys;
    while (row.step()) {
        DisplaySnapshot display;
        display.identity = DisplayIdentity{
            uint32(row.integer(1), "A display vendor"), uint32(row.integer(2), "A display model"),
            uint32(row.integer(3), "A display serial"), uint32(row.integer(4), "A display unit")};
        const std::string key = row.text(0).value_or("");
        if (key.empty() || key != display.identity.key()) {
            readFailed("A saved display key does not match its identity.");
        }
        if (!keys.insert(key).second) readFailed("A layout lists the same display twice.");
        display.frame = RectD{row.real(5), row.real(6), row.real(7), row.real(8)};
        display.visibleFrame = RectD{row.real(9), row.real(10), row.real(11), row.real(12)};
        display.pixelWidth = row.integer(13);
        display.pixelHeight = row.integer(14);
        display.scale = row.real(15);
        display.isPrimary = row.integer(16) != 0;
        display.frameInferred = row.integer(17) != 0;
        if (!display.isStorable()) {
            readFailed("A saved display has invalid geometry or resolution.");
        }
        displays.push_back(display);
    }
    int primaries = 0;
    for (const DisplaySnapshot& display : displays) primaries += display.isPrimary ? 1 : 0;
    if (primaries > 1) readFailed("A layout marks more than one display as primary.");
    return displays;
}

std::vector<WindowEntry> readEntries(SQLiteStatement& row, const Uuid& layoutID,
                                     const std::vector<DisplaySnapshot>& displays) {
    std::set<std::string> displayKeys;
    for (const DisplaySnapshot& display : displays) displayKeys.insert(display.key());
    row.reset();
    row.bindText(1, layoutID.text());
    std::vector<WindowEntry> entries;
    std::set<Uuid> ids;
    while (row.step()) {
        WindowEntry entry;
        const auto id = row.text(0);
        const auto parsed = id ? Uuid::parse(*id) : std::nullopt;
        if (!parsed) readFailed("A window row has an invalid identifier.");
        entry.id = *parsed;
        if (!ids.insert(entry.id).second) readFailed("A layout lists the same window entry twice.");
        entry.bundleID = row.text(1).value_or("");
        entry.appName = row.text(2).value_or("");
        entry.role = row.text(3).value_or("");
        entry.subrole = row.text(4).value_or("");
        if (entry.bundleID.empty() || entry.appName.empty() || entry.role.empty() ||
            entry.subrole.empty()) {
            readFailed("A saved window is missing required identity fields.");
        }
        entry.displayKey = row.text(6).value_or("");
        if (!displayKeys.contains(entry.displayKey)) {
            readFailed("A saved window refers to a display that is not in the layout.");
        }
        entry.relativeFrame = RelativeFrame{row.real(7), row.real(8), row.real(9), row.real(10)};
        if (!entry.relativeFrame.isStorable()) {
            readFailed("A saved window has invalid relative geometry.");
        }
        auto hostname = row.text(5);
        if (hostname && !hostname->empty()) entry.hostname = std::move(hostname);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

std::vector<AppExclusion> loadExclusions(SQLiteDatabase& database) {
    requireOpen(database);
    SQLiteStatement row(database,
                        "SELECT bundle_id, app_name, created_at FROM exclusions ORDER BY app_name "
                        "COLLATE NOCASE ASC");
    std::vector<AppExclusion> exclusions;
    while (row.step()) {
        AppExclusion exclusion;
        exclusion.bundleID = row.text(0).value_or("");
        exclusion.appName = row.text(1).value_or("");
        if (exclusion.bundleID.empty() || exclusion.appName.empty()) {
            readFailed("An exclusion row is missing its identity.");
        }
        exclusion.createdAt = Timestamp{date(row, 2, "An exclusion date")};
        exclusions.push_back(std::move(exclusion));
    }
    return exclusions;
}

}  // namespace orvale::LayoutSchema
