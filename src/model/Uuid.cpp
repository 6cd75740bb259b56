#include "model/Uuid.h"

#include <uuid/uuid.h>

namespace orvale {

Uuid Uuid::generate() {
    Uuid id;
    uuid_generate(id.bytes.data());
    return id;
}

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Uuid> Uuid::parse(std::string_view text) {
    // Read by hand: libuuid's parser goes through strtoul and cost a quarter of
    // loading a thousand layouts.
    if (text.size() != 36) return std::nullopt;
    Uuid id;
    std::size_t byte = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i++] != '-') return std::nullopt;
            continue;
        }
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        id.bytes[byte++] = static_cast<std::uint8_t>(high << 4 | low);
        i += 2;
    }
    return id;
}

std::string Uuid::text() const {
    char buffer[37] = {};
    uuid_unparse_upper(bytes.data(), buffer);
    return buffer;
}

}  // namespace orvale
