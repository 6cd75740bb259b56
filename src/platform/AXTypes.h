#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/Geometry.h"

namespace orvale {

// Result codes of the accessibility interface: 0 is success, the rest failures.
using AXError = std::int32_t;

namespace AXErrorCode {
inline constexpr AXError success = 0;
inline constexpr AXError failure = -25200;
inline constexpr AXError illegalArgument = -25201;
inline constexpr AXError invalidUIElement = -25202;
inline constexpr AXError invalidUIElementObserver = -25203;
inline constexpr AXError cannotComplete = -25204;
inline constexpr AXError attributeUnsupported = -25205;
inline constexpr AXError actionUnsupported = -25206;
inline constexpr AXError notificationUnsupported = -25207;
inline constexpr AXError notImplemented = -25208;
inline constexpr AXError notificationAlreadyRegistered = -25209;
inline constexpr AXError notificationNotRegistered = -25210;
inline constexpr AXError apiDisabled = -25211;
inline constexpr AXError noValue = -25212;
inline constexpr AXError parameterizedAttributeUnsupported = -25213;
inline constexpr AXError notEnoughPrecision = -25214;
// Beyond the accessibility interface's own codes: backends where a window
// manager, not the window's application, carries out writes (X11).
// The window manager did not answer a write in time; a later write would wait
// behind the same unanswered request.
inline constexpr AXError windowManagerNotResponding = -25290;
// The window manager answered a write and left the window where it was.
inline constexpr AXError keptInPlace = -25291;
}  // namespace AXErrorCode

// Attribute names read and written through the accessibility port.
namespace AXAttribute {
inline constexpr std::string_view windows = "AXWindows";
inline constexpr std::string_view role = "AXRole";
inline constexpr std::string_view subrole = "AXSubrole";
inline constexpr std::string_view minimized = "AXMinimized";
// Whether the window is in the platform's full-screen state; a platform
// that cannot say answers "attribute unsupported".
inline constexpr std::string_view fullScreen = "AXFullScreen";
inline constexpr std::string_view position = "AXPosition";
inline constexpr std::string_view size = "AXSize";
inline constexpr std::string_view url = "AXURL";
inline constexpr std::string_view document = "AXDocument";
inline constexpr std::string_view children = "AXChildren";
}  // namespace AXAttribute

// An element of the accessibility interface: an application or something
// inside it. `handle` is the backend's own; two elements are the same element
// exactly when both fields are equal.
struct AXElement {
    std::int32_t pid = 0;
    std::uint64_t handle = 0;

    bool operator==(const AXElement&) const = default;
};

struct AXPoint {
    double x = 0;
    double y = 0;
    bool operator==(const AXPoint&) const = default;
};

using AXSize = SizeD;

// A URL value, as opposed to plain text.
struct AXURL {
    std::string absoluteString;
    bool operator==(const AXURL&) const = default;
};

// The value of an attribute. A missing value is std::monostate; numbers that
// stand for booleans may arrive as either bool or double.
using AXValue = std::variant<std::monostate, bool, double, std::string, AXURL, AXPoint, AXSize,
                             AXElement, std::vector<AXElement>>;

struct AXResult {
    AXError error = AXErrorCode::success;
    AXValue value;
};

}  // namespace orvale

template <>
struct std::hash<orvale::AXElement> {
    std::size_t operator()(const orvale::AXElement& e) const noexcept {
        return std::hash<std::uint64_t>{}(e.handle) * 31 + std::hash<std::int32_t>{}(e.pid);
    }
};
