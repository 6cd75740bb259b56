#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Geometry.h"
#include "platform/Ports.h"

namespace orvale::AX {

struct WindowList {
    std::vector<AXElement> windows;
    // Absent on success; a value that is missing or not a list of elements
    // counts as the generic failure.
    std::optional<AXError> error;
};

// Every read below is one or two accessibility calls, each bounded by
// `timeout` seconds.

// "AXWindows" of an application element.
WindowList windowList(Accessibility& ax, const AXElement& application, double timeout);
// "AXPosition" then "AXSize"; nothing unless both read as a point and a size.
std::optional<RectD> frame(Accessibility& ax, const AXElement& element, double timeout);
std::optional<AXPoint> point(const AXValue& value);
std::optional<AXSize> size(const AXValue& value);
// The attribute as text; nothing on a read error or for any other value.
std::optional<std::string> string(Accessibility& ax, const AXElement& element,
                                  std::string_view attribute, double timeout);
// The attribute as address text: a URL's absolute text, or plain text as it is.
std::optional<std::string> urlString(Accessibility& ax, const AXElement& element,
                                     std::string_view attribute, double timeout);
// The attribute's numeric value as a boolean.
std::optional<bool> boolean(Accessibility& ax, const AXElement& element, std::string_view attribute,
                            double timeout);

}  // namespace orvale::AX
