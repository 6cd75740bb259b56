#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "model/Uuid.h"

namespace orvale {

// The long operation in progress; at most one runs at a time.
enum class OperationKind { saving, capturing, restoring, undoing, resetting };

// A short storage change in flight. Two scopes are the same change when kind
// and layout are equal; `exclusion` and `reset` carry no layout.
struct MutationScope {
    enum class Kind {
        removeEntry,
        shortcut,
        automation,
        rename,
        remove,
        replace,
        exclusion,
        reset
    };

    Kind kind = Kind::exclusion;
    std::optional<Uuid> layoutID;

    static MutationScope forLayout(Kind kind, const Uuid& id) { return {kind, id}; }
    static MutationScope exclusions() { return {Kind::exclusion, std::nullopt}; }
    static MutationScope resetAll() { return {Kind::reset, std::nullopt}; }

    bool operator==(const MutationScope&) const = default;
    auto operator<=>(const MutationScope&) const = default;
};

// An alert for the user. Every presentation has a new id, so the same text
// shown twice is two alerts.
struct UserFacingError {
    Uuid id;
    std::string title;
    std::string message;

    bool operator==(const UserFacingError&) const = default;
};

// Storage cannot be used; every action that needs it is refused until a retry
// opens it.
struct StorageProblem {
    Uuid id;
    std::string title;
    std::string message;
    // The failure's own description.
    std::string details;
    std::filesystem::path databasePath;
    std::filesystem::path backupPath;
    bool canRetry = true;

    bool operator==(const StorageProblem&) const = default;
};

}  // namespace orvale
