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
    static const std::set<std::string, std::less<>> identifiers = {
        "com.apple.Safari",           "com.apple.SafariTechnologyPreview",
        "com.google.Chrome",          "com.google.Chrome.canary",
        "com.brave.Browser",          "com.brave.Browser.beta",
        "com.microsoft.edgemac",      "org.mozilla.firefox",
        "company.thebrowser.Browser", "com.vivaldi.Vivaldi",
        "com.operasoftware.Opera",    "com.kagi.kagimacos",
    };
    return identifiers;
}

}  // namespace orvale
