#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvale {

using Bytes = std::vector<std::uint8_t>;

// A value kept in the per-user defaults store.
using DefaultsValue = std::variant<bool, std::string, Bytes>;

// The per-user key–value store that holds the preferences. Used from the main
// thread only.
class DefaultsStore {
  public:
    virtual ~DefaultsStore() = default;

    virtual std::optional<DefaultsValue> value(std::string_view key) const = 0;
    // Writes fail by throwing an error whose text is shown to the user.
    virtual void set(std::string_view key, DefaultsValue value) = 0;
    virtual void remove(std::string_view key) = 0;
};

// A defaults store held in memory, for tests and for running without a home.
class MemoryDefaultsStore : public DefaultsStore {
  public:
    std::optional<DefaultsValue> value(std::string_view key) const override;
    void set(std::string_view key, DefaultsValue value) override;
    void remove(std::string_view key) override;

  private:
    std::map<std::string, DefaultsValue, std::less<>> values_;
};

}  // namespace orvale
