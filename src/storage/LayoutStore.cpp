#include "storage/LayoutStore.h"

#include <chrono>
#include <set>
#include <utility>

#include "model/LayoutName.h"
#include "model/Topology.h"
#include "storage/LayoutSchema.h"
#include "storage/ResetMarker.h"
#include "storage/StoreReset.h"

namespace orvale {
namespace {

// A display's measured values, in the column order the displays table keeps
// them: frame, visible frame, pixel size, scale and whether it is primary.
void bindMeasurements(SQLiteStatement& statement, int first, const DisplaySnapshot& display) {
    int index = first;
    for (const RectD* rect : {&display.frame, &display.visibleFrame}) {
        for (double value : {rect->x, rect->y, rect->width, rect->height}) {
            statement.bindDouble(index++, value);
        }
    }
    statement.bindInteger(index++, display.pixelWidth);
    statement.bindInteger(index++, display.pixelHeight);
    statement.bindDouble(index++, display.scale);
    statement.bindInteger(index, display.isPrimary ? 1 : 0);
}

void validateForWrite(const std::vector<DisplaySnapshot>& displays,
                      const std::vector<WindowEntry>& entries) {
    constexpr const char* kInvalidDisplays = "The captured display information is not valid.";
    if (displays.empty()) throw StorageError::writeFailed(kInvalidDisplays);
    int primaries = 0;
    std::set<std::string> keys;
    for (const DisplaySnapshot& display : displays) {
        if (!display.isStorable()) throw StorageError::writeFailed(kInvalidDisplays);
        primaries += display.isPrimary ? 1 : 0;
        keys.insert(display.key());
    }
    if (primaries > 1) throw StorageError::writeFailed("Only one display can be marked primary.");
    for (const WindowEntry& entry : entries) {
        if (entry.bundleID.empty() || entry.appName.empty() || entry.role.empty() ||
            entry.subrole.empty() || !keys.contains(entry.displayKey) ||
            !entry.relativeFrame.isStorable()) {
            throw StorageError::writeFailed("The captured window information is not valid.");
        }
    }
}

void bindShortcut(SQLiteStatement& statement, int index, const std::optional<Shortcut>& shortcut) {
    if (shortcut) {
        statement.bindInteger(index, shortcut->keyCode);
        statement.bindInteger(index + 1, shortcut->modifiers);
    } else {
        statement.bindNull(index);
        statement.bindNull(index + 1);
    }
}

}  // namespace

LayoutStore::LayoutStore(StorePaths paths, StoreServices services,
                         std::unique_ptr<SQLiteDatabase> database,
                         std::optional<StorageNotice> notice, std::optional<StoreContent> verified)
    : paths_(std::move(paths)),
      notice_(std::move(notice)),
      database_(std::move(database)),
      services_(std::move(services)),
      verified_(std::move(verified)) {}

LayoutStore::~LayoutStore() = default;

bool LayoutStore::layoutExists(const Uuid& id) {
    SQLiteStatement statement(*database_, "SELECT 1 FROM layouts WHERE id = ? LIMIT 1");
    statement.bindText(1, id.text());
    return statement.step();
}

bool LayoutStore::layoutNameTaken(const std::string& name, const std::optional<Uuid>& excluding) {
    // SQLite's NOCASE folds ASCII only, so the names are compared here; a
    // scan of every name is well under a millisecond at a thousand layouts.
    const std::string folded = foldedLayoutName(name);
    const std::string skipped = excluding ? excluding->text() : std::string();
    SQLiteStatement names(*database_, "SELECT id, name FROM layouts");
    while (names.step()) {
        if (excluding && names.text(0) == skipped) continue;
        if (foldedLayoutName(names.text(1).value_or("")) == folded) return true;
    }
    return false;
}

void LayoutStore::insertDisplays(const std::vector<DisplaySnapshot>& displays,
                                 const Uuid& layoutID) {
    SQLiteStatement insert(*database_,
                           "INSERT INTO displays\n"
                           "    (layout_id, display_key, ordinal, vendor, model, serial, unit,\n"
                           "     frame_x, frame_y, frame_width, frame_height,\n"
                           "     visible_x, visible_y, visible_width, visible_height,\n"
                           "     pixel_width, pixel_height, scale, is_primary, frame_inferred)\n"
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const std::string id = layoutID.text();
    std::int64_t ordinal = 0;
    for (const DisplaySnapshot& display : displays) {
        insert.reset();
        insert.bindText(1, id);
        insert.bindText(2, display.key());
        insert.bindInteger(3, ordinal++);
        insert.bindInteger(4, display.identity.vendor);
        insert.bindInteger(5, display.identity.model);
        insert.bindInteger(6, display.identity.serial);
        insert.bindInteger(7, display.identity.unit);
        bindMeasurements(insert, 8, display);
        insert.bindInteger(20, display.frameInferred ? 1 : 0);
        insert.run();
    }
}

void LayoutStore::insertEntries(const std::vector<WindowEntry>& entries, const Uuid& layoutID) {
    SQLiteStatement insert(
        *database_,
        "INSERT INTO windows\n"
        "    (id, layout_id, ordinal, bundle_id, app_name, role, subrole, hostname,\n"
        "     display_key, rel_x, rel_y, rel_width, rel_height)\n"
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const std::string id = layoutID.text();
    std::int64_t ordinal = 0;
    for (const WindowEntry& entry : entries) {
        insert.reset();
        insert.bindText(1, entry.id.text());
        insert.bindText(2, id);
        insert.bindInteger(3, ordinal++);
        insert.bindText(4, entry.bundleID);
        insert.bindText(5, entry.appName);
        insert.bindText(6, entry.role);
        insert.bindText(7, entry.subrole);
        insert.bindOptionalText(8, entry.hostname);
        insert.bindText(9, entry.displayKey);
        insert.bindDouble(10, entry.relativeFrame.x);
        insert.bindDouble(11, entry.relativeFrame.y);
        insert.bindDouble(12, entry.relativeFrame.width);
        insert.bindDouble(13, entry.relativeFrame.height);
        insert.run();
    }
}

std::vector<Layout> LayoutStore::loadLayouts() {
    std::lock_guard lock(mutex_);
    if (verified_ && verified_->layouts) return *std::exchange(verified_->layouts, std::nullopt);
    return LayoutSchema::loadLayouts(*database_);
}

std::vector<AppExclusion> LayoutStore::loadExclusions() {
    std::lock_guard lock(mutex_);
    if (verified_ && verified_->exclusions) {
        return *std::exchange(verified_->exclusions, std::nullopt);
    }
    return LayoutSchema::loadExclusions(*database_);
}

Layout LayoutStore::createLayout(std::string_view name,
                                 const std::vector<DisplaySnapshot>& displays,
                                 const std::vector<WindowEntry>& entries,
                                 const std::optional<Shortcut>& shortcut) {
    std::lock_guard lock(mutex_);
    const std::string normalized = normalizedLayoutName(name);
    if (normalized.empty()) throw StorageError::invalidName();
    if (entries.empty()) throw StorageError::emptyLayout();
    validateForWrite(displays, entries);
    return write([&] {
        if (layoutNameTaken(normalized, std::nullopt))
            throw StorageError::duplicateName(normalized);
        Layout layout;
        layout.id = Uuid::generate();
        layout.name = normalized;
        const double time = now();
        layout.createdAt = layout.updatedAt = Timestamp{time};
        layout.displays = displays;
        layout.entries = entries;
        layout.shortcut = shortcut;
        SQLiteStatement insert(*database_,
                               "INSERT INTO layouts\n"
                               "    (id, name, created_at, updated_at, automation_enabled,\n"
                               "     automation_topology_signature, shortcut_key_code, "
                               "shortcut_modifiers)\n"
                               "VALUES (?, ?, ?, ?, 0, NULL, ?, ?)");
        insert.bindText(1, layout.id.text());
        insert.bindText(2, layout.name);
        insert.bindDouble(3, time);
        insert.bindDouble(4, time);
        bindShortcut(insert, 5, shortcut);
        insert.run();
        insertDisplays(displays, layout.id);
        insertEntries(entries, layout.id);
        return layout;
    });
}

bool LayoutStore::replaceLayoutContent(const Uuid& id, const std::vector<DisplaySnapshot>& displays,
                                       const std::vector<WindowEntry>& entries) {
    std::lock_guard lock(mutex_);
    if (entries.empty()) throw StorageError::emptyLayout();
    validateForWrite(displays, entries);
    const std::string signature = Topology::signature(displays);
    const std::string text = id.text();
    return write([&] {
        if (!layoutExists(id)) throw StorageError::layoutNotFound();
        bool removeLink = false;
        {
            SQLiteStatement select(
                *database_, "SELECT automation_topology_signature FROM layouts WHERE id = ?");
            select.bindText(1, text);
            if (select.step()) {
                const auto linked = select.text(0);
                removeLink = linked && *linked != signature;
            }
        }
        for (const char* sql : {"DELETE FROM displays WHERE layout_id = ?",
                                "DELETE FROM windows WHERE layout_id = ?"}) {
            SQLiteStatement remove(*database_, sql);
            remove.bindText(1, text);
            remove.run();
        }
        insertDisplays(displays, id);
        insertEntries(entries, id);
        if (removeLink) {
            SQLiteStatement unlink(*database_,
                                   "UPDATE layouts SET automation_enabled = 0, "
                                   "automation_topology_signature = NULL WHERE id = ?");
            unlink.bindText(1, text);
            unlink.run();
        }
        SQLiteStatement touch(*database_, "UPDATE layouts SET updated_at = ? WHERE id = ?");
        touch.bindDouble(1, now());
        touch.bindText(2, text);
        touch.run();
        return removeLink;
    });
}

void LayoutStore::renameLayout(const Uuid& id, std::string_view name) {
    std::lock_guard lock(mutex_);
    const std::string normalized = normalizedLayoutName(name);
    if (normalized.empty()) throw StorageError::invalidName();
    write([&] {
        std::optional<std::string> current;
        {
            SQLiteStatement select(*database_, "SELECT name FROM layouts WHERE id = ?");
            select.bindText(1, id.text());
            if (!select.step()) throw StorageError::layoutNotFound();
            current = select.text(0);
        }
        // Keeping a name stays possible beside one that folds alike, which
        // older versions let in.
        if (current != normalized && layoutNameTaken(normalized, id)) {
            throw StorageError::duplicateName(normalized);
        }
        SQLiteStatement update(*database_,
                               "UPDATE layouts SET name = ?, updated_at = ? WHERE id = ?");
        update.bindText(1, normalized);
        update.bindDouble(2, now());
        update.bindText(3, id.text());
        update.run();
    });
}

void LayoutStore::deleteLayout(const Uuid& id) {
    std::lock_guard lock(mutex_);
    write([&] {
        if (!layoutExists(id)) throw StorageError::layoutNotFound();
        SQLiteStatement remove(*database_, "DELETE FROM layouts WHERE id = ?");
        remove.bindText(1, id.text());
        remove.run();
    });
}

void LayoutStore::removeEntry(const Uuid& layoutID, const Uuid& entryID) {
    std::lock_guard lock(mutex_);
    const std::string layout = layoutID.text();
    write([&] {
        if (!layoutExists(layoutID)) throw StorageError::layoutNotFound();
        {
            SQLiteStatement count(*database_, "SELECT COUNT(*) FROM windows WHERE layout_id = ?");
            count.bindText(1, layout);
            if (!count.step() || count.integer(0) < 2) throw StorageError::lastEntry();
        }
        {
            SQLiteStatement remove(*database_,
                                   "DELETE FROM windows WHERE id = ? AND layout_id = ?");
            remove.bindText(1, entryID.text());
            remove.bindText(2, layout);
            remove.run();
            if (database_->changes() == 0) throw StorageError::entryNotFound();
        }
        std::vector<std::string> ids;
        {
            SQLiteStatement select(
                *database_, "SELECT id FROM windows WHERE layout_id = ? ORDER BY ordinal ASC");
            select.bindText(1, layout);
            while (select.step()) ids.push_back(select.text(0).value_or(""));
        }
        SQLiteStatement renumber(*database_, "UPDATE windows SET ordinal = ? WHERE id = ?");
        for (std::size_t k = 0; k < ids.size(); ++k) {
            renumber.reset();
            renumber.bindInteger(1, static_cast<std::int64_t>(k));
            renumber.bindText(2, ids[k]);
            renumber.run();
        }
        SQLiteStatement touch(*database_, "UPDATE layouts SET updated_at = ? WHERE id = ?");
        touch.bindDouble(1, now());
        touch.bindText(2, layout);
        touch.run();
    });
}

void LayoutStore::updateShortcut(const Uuid& id, const std::optional<Shortcut>& shortcut) {
    std::lock_guard lock(mutex_);
    write([&] {
        if (!layoutExists(id)) throw StorageError::layoutNotFound();
        SQLiteStatement update(*database_,
                               "UPDATE layouts SET shortcut_key_code = ?, shortcut_modifiers = ?, "
                               "updated_at = ? WHERE id = ?");
        bindShortcut(update, 1, shortcut);
        update.bindDouble(3, now());
        update.bindText(4, id.text());
        update.run();
    });
}

void LayoutStore::updateAutomation(const Uuid& id, bool enabled,
                                   const std::optional<std::string>& signature) {
    std::lock_guard lock(mutex_);
    write([&] {
        if (!layoutExists(id)) throw StorageError::layoutNotFound();
        SQLiteStatement update(*database_,
                               "UPDATE layouts SET automation_enabled = ?, "
                               "automation_topology_signature = ?, updated_at = ? WHERE id = ?");
        update.bindInteger(1, enabled ? 1 : 0);
        update.bindOptionalText(2, signature);
        update.bindDouble(3, now());
        update.bindText(4, id.text());
        update.run();
    });
}

void LayoutStore::reassociateAutomation(const Uuid& id,
                                        const std::vector<DisplaySnapshot>& displays,
                                        const std::string& signature) {
    std::lock_guard lock(mutex_);
    validateForWrite(displays, {});
    const std::string text = id.text();
    write([&] {
        if (!layoutExists(id)) throw StorageError::layoutNotFound();
        SQLiteStatement update(
            *database_,
            "UPDATE displays\n"
            "   SET frame_x = ?, frame_y = ?, frame_width = ?, frame_height = ?,\n"
            "       visible_x = ?, visible_y = ?, visible_width = ?, visible_height = ?,\n"
            "       pixel_width = ?, pixel_height = ?, scale = ?, is_primary = ?,\n"
            "       frame_inferred = 0\n"
            " WHERE layout_id = ? AND display_key = ?");
        for (const DisplaySnapshot& display : displays) {
            update.reset();
            bindMeasurements(update, 1, display);
            update.bindText(13, text);
            update.bindText(14, display.key());
            update.run();
            if (database_->changes() != 1) {
                throw StorageError::writeFailed("A saved display could not be refreshed.");
            }
        }
        SQLiteStatement link(*database_,
                             "UPDATE layouts SET automation_enabled = 1, "
                             "automation_topology_signature = ?, updated_at = ? WHERE id = ?");
        link.bindText(1, signature);
        link.bindDouble(2, now());
        link.bindText(3, text);
        link.run();
    });
}

void LayoutStore::addExclusion(std::string_view bundleID, std::string_view appName) {
    std::lock_guard lock(mutex_);
    if (bundleID.empty() || appName.empty()) {
        throw StorageError::writeFailed("An app identity is required.");
    }
    write([&] {
        SQLiteStatement insert(*database_,
                               "INSERT INTO exclusions (bundle_id, app_name, created_at)\n"
                               "VALUES (?, ?, ?)\n"
                               "ON CONFLICT(bundle_id) DO UPDATE SET app_name = excluded.app_name");
        insert.bindText(1, bundleID);
        insert.bindText(2, appName);
        insert.bindDouble(3, now());
        insert.run();
    });
}

void LayoutStore::removeExclusion(std::string_view bundleID) {
    std::lock_guard lock(mutex_);
    write([&] {
        SQLiteStatement remove(*database_, "DELETE FROM exclusions WHERE bundle_id = ?");
        remove.bindText(1, bundleID);
        remove.run();
    });
}

std::filesystem::path LayoutStore::backupNow() {
    std::lock_guard lock(mutex_);
    return backUpLiveDatabase(paths_, *services_.fileSystem, *database_);
}

std::optional<std::string> LayoutStore::resetDatabase() {
    std::lock_guard lock(mutex_);
    verified_.reset();
    return resetLiveDatabase(paths_, services_, *database_);
}

}  // namespace orvale
