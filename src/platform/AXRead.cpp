#include "platform/AXRead.h"

namespace orvale::AX {

WindowList windowList(Accessibility& ax, const AXElement& application, double timeout) {
    const AXResult result = ax.copyAttributeValue(application, AXAttribute::windows, timeout);
    if (result.error != AXErrorCode::success) return {{}, result.error};
    const auto* windows = std::get_if<std::vector<AXElement>>(&result.value);
    if (!windows) return {{}, AXErrorCode::failure};
    return {*windows, std::nullopt};
}

std::optional<AXPoint> point(const AXValue& value) {
    if (const auto* p = std::get_if<AXPoint>(&value)) return *p;
    return std::nullopt;
}

std::optional<AXSize> size(const AXValue& value) {
    if (const auto* s = std::get_if<AXSize>(&value)) return *s;
    return std::nullopt;
}

std::optional<RectD> frame(Accessibility& ax, const AXElement& element, double timeout) {
    const AXResult position = ax.copyAttributeValue(element, AXAttribute::position, timeout);
    if (position.error != AXErrorCode::success) return std::nullopt;
    const AXResult extent = ax.copyAttributeValue(element, AXAttribute::size, timeout);
    if (extent.error != AXErrorCode::success) return std::nullopt;
    const auto p = point(position.value);
    const auto s = size(extent.value);
    if (!p || !s) return std::nullopt;
    return RectD{p->x, p->y, s->width, s->height};
}

std::optional<std::string> string(Accessibility& ax, const AXElement& element,
                                  std::string_view attribute, double timeout) {
    AXResult result = ax.copyAttributeValue(element, attribute, timeout);
    if (result.error != AXErrorCode::success) return std::nullopt;
    if (auto* text = std::get_if<std::string>(&result.value)) return std::move(*text);
    return std::nullopt;
}

std::optional<std::string> urlString(Accessibility& ax, const AXElement& element,
                                     std::string_view attribute, double timeout) {
    AXResult result = ax.copyAttributeValue(element, attribute, timeout);
    if (result.error != AXErrorCode::success) return std::nullopt;
    if (auto* url = std::get_if<AXURL>(&result.value)) return std::move(url->absoluteString);
    if (auto* text = std::get_if<std::string>(&result.value)) return std::move(*text);
    return std::nullopt;
}

std::optional<bool> boolean(Accessibility& ax, const AXElement& element, std::string_view attribute,
                            double timeout) {
    const AXResult result = ax.copyAttributeValue(element, attribute, timeout);
    if (result.error != AXErrorCode::success) return std::nullopt;
    if (const auto* flag = std::get_if<bool>(&result.value)) return *flag;
    if (const auto* number = std::get_if<double>(&result.value)) return *number != 0;
    return std::nullopt;
}

}  // namespace orvale::AX
