#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "model/DefaultsStore.h"
#include "storage/FileSystem.h"
#include "storage/XdgPaths.h"

namespace orvale {

// A preferences file could not be written; the text names the file and the cause.
class PreferencesError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The defaults store kept in one JSON file. Booleans and texts are stored as
// themselves; binary data that is a JSON object or array in this library's
// compact spelling (the global shortcut's {"keyCode": …, "modifiers": …}) as
// that JSON value, and any other binary data as {"data": "<hex>"}. Reading
// gives a JSON object (other than the hex form) or array back as the bytes of
// its compact spelling; numbers, null and a malformed hex form read as absent
// and are kept as they are. The file is read once; a missing, damaged or
// unreadable file reads as empty and is left untouched until a value changes.
// Every change rewrites the file atomically: a temporary file beside it,
// flushed to disk, renamed over it, and the folder flushed (writeDurably,
// shared with the layout store). A change that cannot be written still holds
// for the rest of the session; the error says it was not saved.
class FileDefaultsStore final : public DefaultsStore {
  public:
    explicit FileDefaultsStore(std::filesystem::path path,
                               std::shared_ptr<FileSystem> fileSystem = posixFileSystem());

    // "Orvale/preferences.json" under the per-user configuration folder;
    // nothing when no home folder is known.
    static std::optional<std::filesystem::path> defaultPath(const EnvironmentLookup& env);

    const std::filesystem::path& path() const { return path_; }

    std::optional<DefaultsValue> value(std::string_view key) const override;
    void set(std::string_view key, DefaultsValue value) override;
    void remove(std::string_view key) override;

  private:
    void write() const;

    std::filesystem::path path_;
    std::shared_ptr<FileSystem> fileSystem_;
    nlohmann::json document_ = nlohmann::json::object();
};

}  // namespace orvale
