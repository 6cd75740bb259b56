#pragma once

#include <memory>

#include "platform/x11/X11Accessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Pointer.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11WindowServer.h"
#include "platform/x11/X11Workspace.h"

namespace orvale::x11 {

// The X11 backend: the ports over one shared connection.
class X11Desktop {
  public:
    // Nothing when the display cannot be opened or does not answer within
    // `timeout`, with the reason in `error` when given.
    static std::unique_ptr<X11Desktop> open(
        const char* displayName = nullptr,
        std::chrono::milliseconds timeout = X11Connection::kOpenTimeout,
        OpenError* error = nullptr);

    X11Connection& connection() { return *connection_; }
    X11Accessibility& accessibility() { return accessibility_; }
    X11WindowServer& windowServer() { return windowServer_; }
    X11Workspace& workspace() { return workspace_; }
    X11Screens& screens() { return screens_; }
    X11Pointer& pointer() { return pointer_; }

  private:
    explicit X11Desktop(std::unique_ptr<X11Connection> connection)
        : connection_(std::move(connection)),
          readings_(*connection_),
          accessibility_(*connection_, readings_),
          windowServer_(*connection_, readings_),
          workspace_(*connection_, readings_),
          screens_(*connection_),
          pointer_(*connection_) {}

    std::unique_ptr<X11Connection> connection_;
    ClientReadings readings_;
    X11Accessibility accessibility_;
    X11WindowServer windowServer_;
    X11Workspace workspace_;
    X11Screens screens_;
    X11Pointer pointer_;
};

inline std::unique_ptr<X11Desktop> X11Desktop::open(const char* displayName,
                                                    std::chrono::milliseconds timeout,
                                                    OpenError* error) {
    auto connection = X11Connection::open(displayName, timeout, error);
    if (!connection) return nullptr;
    return std::unique_ptr<X11Desktop>(new X11Desktop(std::move(connection)));
}

}  // namespace orvale::x11
