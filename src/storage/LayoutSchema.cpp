#include "storage/LayoutSchema.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <unordered_map>

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
    if (!database.isOpen()) readFailed(kDatabaseClosed);
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

namespace {

// Finite and within 0001-01-01 … 2100-01-01 UTC.
double date(double secondsSince1970, const char* what) {
    if (!std::isfinite(secondsSince1970) || secondsSince1970 < -62135596800.0 ||
        secondsSince1970 > 4102444800.0) {
        readFailed(std::string(what) + " is not a valid date.");
    }
    return secondsSince1970;
}

std::uint32_t uint32(std::int64_t value, std::string_view field) {
    if (value < 0 || value > 4294967295LL) {
        readFailed(std::string(field) + " is outside the valid range.");
    }
    return static_cast<std::uint32_t>(value);
}

// Rows are read in one pass over each table and checked afterwards, layout by
// layout, in the order the checks have always had: the layout's own fields,
// its displays, then its windows, each in saved order. One pass costs a third
// of a query per layout, whose sorting dominated.
struct DisplayRow {
    std::int64_t ordinal = 0;
    std::string key;
    std::array<std::int64_t, 4> identity{};
    DisplaySnapshot display;
};

struct EntryRow {
    std::int64_t ordinal = 0;
    std::optional<Uuid> id;
    WindowEntry entry;
};

// The displays and windows naming one layout identifier.
struct Rows {
    std::vector<DisplayRow> displays;
    std::vector<EntryRow> entries;
    int layouts = 0;  // how many layout rows it belongs to
};

struct LayoutRow {
    std::optional<Uuid> id;
    Layout layout;
    double createdAt = 0;
    double updatedAt = 0;
    std::optional<std::int64_t> keyCode;
    std::optional<std::int64_t> modifiers;
    Rows* rows = nullptr;
};

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};

template <typename Row>
void sortByOrdinal(std::vector<Row>& rows) {
    auto byOrdinal = [](const Row& a, const Row& b) { return a.ordinal < b.ordinal; };
    if (!std::is_sorted(rows.begin(), rows.end(), byOrdinal)) {
        std::stable_sort(rows.begin(), rows.end(), byOrdinal);
    }
}

std::optional<std::int64_t> optionalInteger(const SQLiteStatement& row, int column) {
    if (row.isNull(column)) return std::nullopt;
    return row.integer(column);
}

std::string text(const SQLiteStatement& row, int column) {
    return std::string(row.view(column).value_or(""));
}

std::vector<DisplaySnapshot> checkedDisplays(std::vector<DisplayRow>& rows) {
    sortByOrdinal(rows);
    std::vector<DisplaySnapshot> displays;
    displays.reserve(rows.size());
    std::vector<std::string_view> keys;
    int primaries = 0;
    for (DisplayRow& row : rows) {
        DisplaySnapshot& display = row.display;
        display.identity = DisplayIdentity{
            uint32(row.identity[0], "A display vendor"), uint32(row.identity[1], "A display model"),
            uint32(row.identity[2], "A display serial"), uint32(row.identity[3], "A display unit")};
        if (row.key.empty() || row.key != display.identity.key()) {
            readFailed("A saved display key does not match its identity.");
        }
        if (std::find(keys.begin(), keys.end(), row.key) != keys.end()) {
            readFailed("A layout lists the same display twice.");
        }
        keys.push_back(row.key);
        if (!display.isStorable())
            readFailed("A saved display has invalid geometry or resolution.");
        primaries += display.isPrimary ? 1 : 0;
        displays.push_back(display);
    }
    if (primaries > 1) readFailed("A layout marks more than one display as primary.");
    return displays;
}

std::vector<WindowEntry> checkedEntries(std::vector<EntryRow>& rows,
                                        const std::vector<DisplaySnapshot>& displays) {
    sortByOrdinal(rows);
    std::vector<std::string> keys;
    for (const DisplaySnapshot& display : displays) keys.push_back(display.key());
    std::vector<WindowEntry> entries;
    entries.reserve(rows.size());
    for (EntryRow& row : rows) {
        WindowEntry& entry = row.entry;
        if (!row.id) readFailed("A window row has an invalid identifier.");
        entry.id = *row.id;
        for (const WindowEntry& earlier : entries) {
            if (earlier.id == entry.id) readFailed("A layout lists the same window entry twice.");
        }
        if (entry.bundleID.empty() || entry.appName.empty() || entry.role.empty() ||
            entry.subrole.empty()) {
            readFailed("A saved window is missing required identity fields.");
        }
        if (std::find(keys.begin(), keys.end(), entry.displayKey) == keys.end()) {
            readFailed("A saved window refers to a display that is not in the layout.");
        }
        if (!entry.relativeFrame.isStorable()) {
            readFailed("A saved window has invalid relative geometry.");
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

Layout checkedLayout(LayoutRow& row) {
    if (!row.id) readFailed("A layout row has an invalid identifier.");
    Layout& layout = row.layout;
    layout.id = *row.id;
    layout.createdAt = Timestamp{date(row.createdAt, "A layout creation date")};
    layout.updatedAt = Timestamp{date(row.updatedAt, "A layout update date")};
    if (row.keyCode.has_value() != row.modifiers.has_value()) {
        readFailed("A layout shortcut is incomplete.");
    }
    if (row.keyCode) {
        const Shortcut shortcut{uint32(*row.keyCode, "A shortcut key code"),
                                uint32(*row.modifiers, "A shortcut modifier mask")};
        if (!shortcut.isStorable()) readFailed("A layout shortcut is outside the supported range.");
        layout.shortcut = shortcut;
    }
    // Rows shared by layouts whose identifiers differ only in letter case are copied.
    Rows own = --row.rows->layouts > 0 ? *row.rows : std::move(*row.rows);
    layout.displays = checkedDisplays(own.displays);
    layout.entries = checkedEntries(own.entries, layout.displays);
    return std::move(layout);
}

}  // namespace

std::vector<Layout> loadLayouts(SQLiteDatabase& database) {
    requireOpen(database);
    std::vector<LayoutRow> layoutRows;
    {
        SQLiteStatement row(database,
                            "SELECT id, name, created_at, updated_at, automation_enabled,\n"
                            "       automation_topology_signature, shortcut_key_code, "
                            "shortcut_modifiers\n"
                            "FROM layouts\n"
                            "ORDER BY created_at ASC, name COLLATE NOCASE ASC");
        while (row.step()) {
            LayoutRow& layout = layoutRows.emplace_back();
            if (auto id = row.view(0)) layout.id = Uuid::parse(*id);
            layout.layout.name = text(row, 1);
            layout.createdAt = row.real(2);
            layout.updatedAt = row.real(3);
            layout.layout.automationEnabled = row.integer(4) != 0;
            layout.layout.automationTopologySignature = row.text(5);
            layout.keyCode = optionalInteger(row, 6);
            layout.modifiers = optionalInteger(row, 7);
        }
    }
    // Displays and windows belong to the layout whose identifier they name in
    // its canonical form; rows naming none are left to the foreign-key check.
    std::unordered_map<std::string, Rows, TextHash, std::equal_to<>> rows;
    for (LayoutRow& layout : layoutRows) {
        if (!layout.id) continue;
        layout.rows = &rows[layout.id->text()];
        ++layout.rows->layouts;
    }
    auto rowsOf = [&](const SQLiteStatement& row) -> Rows* {
        auto found = rows.find(row.view(0).value_or(""));
        return found == rows.end() ? nullptr : &found->second;
    };
    {
        SQLiteStatement row(database,
                            "SELECT layout_id, ordinal, display_key, vendor, model, serial, unit,\n"
                            "       frame_x, frame_y, frame_width, frame_height,\n"
                            "       visible_x, visible_y, visible_width, visible_height,\n"
                            "       pixel_width, pixel_height, scale, is_primary, frame_inferred\n"
                            "FROM displays");
        while (row.step()) {
            Rows* owner = rowsOf(row);
            if (!owner) continue;
            DisplayRow& display = owner->displays.emplace_back();
            display.ordinal = row.integer(1);
            display.key = text(row, 2);
            for (int i = 0; i < 4; ++i) display.identity[i] = row.integer(3 + i);
            display.display.frame = RectD{row.real(7), row.real(8), row.real(9), row.real(10)};
            display.display.visibleFrame =
                RectD{row.real(11), row.real(12), row.real(13), row.real(14)};
            display.display.pixelWidth = row.integer(15);
            display.display.pixelHeight = row.integer(16);
            display.display.scale = row.real(17);
            display.display.isPrimary = row.integer(18) != 0;
            display.display.frameInferred = row.integer(19) != 0;
        }
    }
    {
        SQLiteStatement row(database,
                            "SELECT layout_id, ordinal, id, bundle_id, app_name, role, subrole,\n"
                            "       hostname, display_key, rel_x, rel_y, rel_width, rel_height\n"
                            "FROM windows");
        while (row.step()) {
            Rows* owner = rowsOf(row);
            if (!owner) continue;
            EntryRow& entry = owner->entries.emplace_back();
            entry.ordinal = row.integer(1);
            if (auto id = row.view(2)) entry.id = Uuid::parse(*id);
            entry.entry.bundleID = text(row, 3);
            entry.entry.appName = text(row, 4);
            entry.entry.role = text(row, 5);
            entry.entry.subrole = text(row, 6);
            if (auto hostname = row.view(7); hostname && !hostname->empty()) {
                entry.entry.hostname = std::string(*hostname);
            }
            entry.entry.displayKey = text(row, 8);
            entry.entry.relativeFrame =
                RelativeFrame{row.real(9), row.real(10), row.real(11), row.real(12)};
        }
    }
    std::vector<Layout> layouts;
    layouts.reserve(layoutRows.size());
    for (LayoutRow& row : layoutRows) layouts.push_back(checkedLayout(row));
    return layouts;
}

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
        exclusion.createdAt = Timestamp{date(row.real(2), "An exclusion date")};
        exclusions.push_back(std::move(exclusion));
    }
    return exclusions;
}

}  // namespace orvale::LayoutSchema
