#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvale {

// Identifier of layouts and window entries. Written as canonical upper-case
// text in the database and the preferences; either case is read.
struct Uuid {
    std::array<std::uint8_t, 16> bytes{};

    bool operator==(const Uuid&) const = default;
    auto operator<=>(const Uuid&) const = default;

    // A new random identifier.
    static Uuid generate();
    // Canonical 8-4-4-4-12 text in either letter case; nothing otherwise.
    static std::optional<Uuid> parse(std::string_view text);

    // Canonical upper-case text.
    std::string text() const;
};

}  // namespace orvale

template <>
struct std::hash<orvale::Uuid> {
    std::size_t operator()(const orvale::Uuid& id) const noexcept {
        return std::hash<std::string_view>{}(
            std::string_view(reinterpret_cast<const char*>(id.bytes.data()), id.bytes.size()));
    }
};
