#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/AXTypes.h"
#include "platform/WindowReference.h"

namespace orvale {

// Which live window a reference stands for. Two references made by different
// scans of the same window share it, while their own ids differ; "is this
// window already taken" is always asked of this identity.
struct WindowIdentity {
    std::int32_t pid = 0;
    AXElement element;

    bool operator==(const WindowIdentity&) const = default;

    static WindowIdentity of(const WindowReference& reference) {
        return {reference.pid, reference.element};
    }
};

}  // namespace orvale

template <>
struct std::hash<orvale::WindowIdentity> {
    std::size_t operator()(const orvale::WindowIdentity& identity) const noexcept {
        return std::hash<orvale::AXElement>{}(identity.element) * 31 +
               std::hash<std::int32_t>{}(identity.pid);
    }
};
