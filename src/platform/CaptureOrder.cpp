#include "platform/CaptureOrder.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <string_view>

namespace orvale {
namespace {

// Without a language of the user's (the C locale, seen by ICU as en_US_POSIX,
// whose tailoring is plain character order) the root order applies, which
// still ignores case and compares numbers.
icu::Locale collationLocale() {
    const icu::Locale& locale = icu::Locale::getDefault();
    if (std::string_view(locale.getVariant()) == "POSIX") return icu::Locale::getRoot();
    return locale;
}

std::unique_ptr<icu::Collator> makeCollator() {
    for (const icu::Locale& locale : {collationLocale(), icu::Locale::getRoot()}) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
        if (U_FAILURE(status) || !collator) continue;
        collator->setStrength(icu::Collator::SECONDARY);
        collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
        if (U_SUCCESS(status)) return collator;
    }
    return nullptr;
}

}  // namespace

void sortInCaptureOrder(std::vector<WindowEntry>& entries) {
    const std::unique_ptr<icu::Collator> collator = makeCollator();
    std::vector<icu::UnicodeString> names;
    names.reserve(entries.size());
    for (const WindowEntry& entry : entries) {
        names.push_back(icu::UnicodeString::fromUTF8(entry.appName));
    }
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});

    // Names the collator finds equal but that differ as text (only in letter
    // case, say) are put in plain text order, so the comparison stays a strict
    // ordering and the sort stays well defined.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const WindowEntry& left = entries[a];
        const WindowEntry& right = entries[b];
        if (left.appName != right.appName) {
            if (collator) {
                UErrorCode status = U_ZERO_ERROR;
                const UCollationResult result = collator->compare(names[a], names[b], status);
                if (U_SUCCESS(status) && result != UCOL_EQUAL) return result == UCOL_LESS;
            }
            return left.appName < right.appName;
        }
        return left.displayKey < right.displayKey;
    });

    std::vector<WindowEntry> sorted;
    sorted.reserve(entries.size());
    for (std::size_t index : order) sorted.push_back(std::move(entries[index]));
    entries = std::move(sorted);
}

}  // namespace orvale
