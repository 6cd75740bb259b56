#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace orvale {

// The host of an http or https address, lower-cased and without a leading
// "www."; nothing for other schemes, unparsable text or an empty host. Only
// the host is ever kept: no port, path, query or fragment.
std::optional<std::string> normalizedHostname(std::string_view address);

// The applications whose windows are looked into for the page they show.
const std::set<std::string, std::less<>>& browserBundleIDs();

}  // namespace orvale
