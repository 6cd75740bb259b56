#include "model/Uuid.h"

#include <uuid/uuid.h>

namespace orvale {

Uuid Uuid::generate() {
    Uuid id;
    uuid_generate(id.bytes.data());
    return id;
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    // uuid_parse wants a terminated 36-character string and accepts either case.
    constexpr std::size_t kLength = 36;
    if (text.size() != kLength) return std::nullopt;
    char buffer[kLength + 1] = {};
    text.copy(buffer, kLength);
    Uuid id;
    if (uuid_parse(buffer, id.bytes.data()) != 0) return std::nullopt;
    return id;
}

std::string Uuid::text() const {
    char buffer[37] = {};
    uuid_unparse_upper(bytes.data(), buffer);
    return buffer;
}

}  // namespace orvale
