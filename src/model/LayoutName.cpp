#include "model/LayoutName.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

namespace orvale {
namespace {

// White space and line breaks: the Unicode White_Space property covers the
// space separators, tab, the line and paragraph separators, and CR, LF, VT, FF
// and NEL.
bool isTrimmed(UChar32 c) {
    return u_isUWhiteSpace(c);
}

icu::UnicodeString trimmed(const icu::UnicodeString& text) {
    int32_t start = 0;
    int32_t end = text.length();
    while (start < end && isTrimmed(text.char32At(start))) start = text.moveIndex32(start, 1);
    while (end > start) {
        const int32_t previous = text.moveIndex32(end, -1);
        if (!isTrimmed(text.char32At(previous))) break;
        end = previous;
    }
    return icu::UnicodeString(text, start, end - start);
}

// The offset after the first `count` grapheme clusters.
int32_t endOfCharacters(const icu::UnicodeString& text, std::size_t count) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> characters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !characters) {
        // Without break data, fall back to whole code points rather than
        // cutting inside a surrogate pair.
        return text.moveIndex32(0, static_cast<int32_t>(count));
    }
    characters->setText(text);
    int32_t end = characters->first();
    for (std::size_t i = 0; i < count; ++i) {
        const int32_t next = characters->next();
        if (next == icu::BreakIterator::DONE) break;
        end = next;
    }
    return end;
}

icu::UnicodeString trimmedText(std::string_view name) {
    return trimmed(icu::UnicodeString::fromUTF8(
        icu::StringPiece(name.data(), static_cast<int32_t>(name.size()))));
}

}  // namespace

std::string normalizedLayoutName(std::string_view name) {
    icu::UnicodeString text = trimmedText(name);
    text.truncate(endOfCharacters(text, kLayoutNameMaxCharacters));
    std::string result;
    text.toUTF8String(result);
    return result;
}

bool layoutNameTooLong(std::string_view name) {
    const icu::UnicodeString text = trimmedText(name);
    return endOfCharacters(text, kLayoutNameMaxCharacters) < text.length();
}

std::string foldedLayoutName(std::string_view name) {
    // Most names are ASCII, where folding is lowering A to Z; this keeps a
    // check over every stored name cheap.
    bool ascii = true;
    std::string result(name);
    for (char& c : result) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (ascii) return result;
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(name.data(), static_cast<int32_t>(name.size())));
    result.clear();
    text.foldCase(U_FOLD_CASE_DEFAULT).toUTF8String(result);
    return result;
}

}  // namespace orvale
