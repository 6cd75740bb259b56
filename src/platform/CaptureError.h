#pragma once

#include <stdexcept>

namespace orvale {

// Why a capture gave no layout preview; what() is the text shown to the user.
class CaptureError : public std::runtime_error {
  public:
    enum class Kind {
        permissionDenied,
        noEligibleWindows,
        cancelled,
        timedOut,
        incompleteDiscovery
    };

    explicit CaptureError(Kind kind);

    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

}  // namespace orvale
