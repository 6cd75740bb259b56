#include "platform/Hostname.h"

#include <uriparser/Uri.h>

#include <algorithm>

namespace orvale {
namespace {

std::string lowercased(const UriTextRangeA& range) {
    if (!range.first || !range.afterLast) return {};
    std::string text(range.first, range.afterLast);
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

}  // namespace

std::optional<std::string> normalizedHostname(std::string_view address) {
    UriUriA uri;
    const char* errorPosition = nullptr;
    if (uriParseSingleUriExA(&uri, address.data(), address.data() + address.size(),
                             &errorPosition) != URI_SUCCESS) {
        return std::nullopt;
    }
    const std::string scheme = lowercased(uri.scheme);
    std::string host = lowercased(uri.hostText);
    uriFreeUriMembersA(&uri);

    if (scheme != "http" && scheme != "https") return std::nullopt;
    if (host.starts_with("www.")) host.erase(0, 4);
    if (host.empty()) return std::nullopt;
    return host;
}

const std::set<std::string, std::less<>>& browserBundleIDs() {
    // Desktop ids (the .desktop file name without its extension) of the
    // browsers Linux distributions and Flathub ship, and the window classes
    // that stand in for them when no desktop entry is found.
    static const std::set<std::string, std::less<>> identifiers = {
        "firefox",
        "firefox-esr",
        "org.mozilla.firefox",
        "librewolf",
        "io.gitlab.librewolf-community",
        "chromium",
        "chromium-browser",
        "org.chromium.Chromium",
        "google-chrome",
        "google-chrome-beta",
        "google-chrome-unstable",
        "com.google.Chrome",
        "brave-browser",
        "com.brave.Browser",
        "microsoft-edge",
        "com.microsoft.Edge",
        "vivaldi-stable",
        "com.vivaldi.Vivaldi",
        "opera",
        "com.opera.Opera",
        "org.gnome.Epiphany",
        "epiphany",
        "org.kde.falkon",
        "falkon",
        "org.kde.konqueror",
        "org.qutebrowser.qutebrowser",
        "midori",
    };
    return identifiers;
}

}  // namespace orvale
