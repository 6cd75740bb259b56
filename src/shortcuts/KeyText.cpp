#include "shortcuts/KeyText.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace orvale {
namespace {

icu::UnicodeString unicode(std::string_view text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace

std::optional<std::string> printableKeyLabel(std::string_view text) {
    icu::UnicodeString label = unicode(text);
    if (label.isEmpty()) return std::nullopt;
    switch (u_charType(label.char32At(0))) {
        case U_CONTROL_CHAR:
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
            return std::nullopt;
        default:
            break;
    }
    label.trim();
    if (label.isEmpty()) return std::nullopt;
    return utf8(label.toUpper(icu::Locale::getRoot()));
}

std::string foldedKeyName(std::string_view name) {
    return utf8(unicode(name).foldCase());
}

}  // namespace orvale
