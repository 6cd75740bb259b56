#include "model/DefaultsStore.h"

namespace orvale {

std::optional<DefaultsValue> MemoryDefaultsStore::value(std::string_view key) const {
    auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

void MemoryDefaultsStore::set(std::string_view key, DefaultsValue value) {
    values_.insert_or_assign(std::string(key), std::move(value));
}

void MemoryDefaultsStore::remove(std::string_view key) {
    auto found = values_.find(key);
    if (found != values_.end()) values_.erase(found);
}

}  // namespace orvale
