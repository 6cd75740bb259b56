#include "storage/FileDefaultsStore.h"

#include <fstream>
#include <sstream>

namespace orvale {
namespace {

constexpr const char* kDataMember = "data";

std::string hexText(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

std::optional<Bytes> bytesFromHex(const std::string& text) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (text.size() % 2 != 0) return std::nullopt;
    Bytes bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]);
        const int low = digit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Bytes that are a JSON object or array, exactly as this library writes it,
// are kept as that value so that the file reads as plain JSON. Anything else
// is hex: JSON that would read back as a boolean, a text or the hex form
// itself, or JSON spelled differently, which could not come back byte for byte.
nlohmann::json storedForm(const Bytes& bytes) {
    const nlohmann::json parsed =
        nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
    const bool structured =
        parsed.is_array() || (parsed.is_object() && !parsed.contains(kDataMember));
    if (structured && bytesOf(parsed.dump()) == bytes) return parsed;
    return nlohmann::json{{kDataMember, hexText(bytes)}};
}

[[noreturn]] void fail(const std::filesystem::path& path, const FileSystemError& error) {
    throw PreferencesError("Orvale couldn’t save its settings to “" + path.string() + "” (" +
                           error.step() + ": " + error.what() + ").");
}

}  // namespace

FileDefaultsStore::FileDefaultsStore(std::filesystem::path path,
                                     std::shared_ptr<FileSystem> fileSystem)
    : path_(std::move(path)), fileSystem_(std::move(fileSystem)) {
    // A folder or an unreadable file in its place reads as empty, like a missing one.
    std::ifstream file(path_, std::ios::binary);
    std::ostringstream contents;
    if (!file || !(contents << file.rdbuf())) return;
    nlohmann::json parsed =
        nlohmann::json::parse(contents.str(), nullptr, /*allow_exceptions=*/false);
    if (parsed.is_object()) document_ = std::move(parsed);
}

std::optional<std::filesystem::path> FileDefaultsStore::defaultPath(const EnvironmentLookup& env) {
    auto base = configHome(env);
    if (!base) return std::nullopt;
    return *base / "Orvale" / "preferences.json";
}

std::optional<DefaultsValue> FileDefaultsStore::value(std::string_view key) const {
    auto found = document_.find(key);
    if (found == document_.end()) return std::nullopt;
    if (found->is_boolean()) return DefaultsValue(found->get<bool>());
    if (found->is_string()) return DefaultsValue(found->get<std::string>());
    if (found->is_array()) return DefaultsValue(bytesOf(found->dump()));
    if (found->is_object()) {
        auto data = found->find(kDataMember);
        if (data == found->end()) return DefaultsValue(bytesOf(found->dump()));
        if (data->is_string()) {
            if (auto bytes = bytesFromHex(data->get<std::string>())) return DefaultsValue(*bytes);
        }
    }
    return std::nullopt;
}

void FileDefaultsStore::set(std::string_view key, DefaultsValue value) {
    nlohmann::json stored = std::visit(
        [](auto&& v) -> nlohmann::json {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Bytes>) {
                return storedForm(v);
            } else {
                return v;
            }
        },
        value);
    document_[std::string(key)] = std::move(stored);
    write();
}

void FileDefaultsStore::remove(std::string_view key) {
    auto found = document_.find(key);
    if (found == document_.end()) return;
    document_.erase(found);
    write();
}

void FileDefaultsStore::write() const {
    // Invalid UTF-8 in a text is replaced rather than failing the whole write.
    const std::string contents =
        document_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    try {
        fileSystem_->createDirectories(path_.parent_path());
        writeDurably(*fileSystem_, contents, path_, /*folderFlushMustSucceed=*/true);
    } catch (const FileSystemError& error) {
        fail(path_, error);
    }
}

}  // namespace orvale
