#include "platform/x11/X11Workspace.h"

#include <unistd.h>

#include <algorithm>

#include "platform/x11/Clients.h"

namespace orvale::x11 {
namespace {

constexpr auto kTimeout = std::chrono::seconds(2);

}  // namespace

std::vector<RunningApplication> X11Workspace::runningApplications() {
    auto lock = connection_.lock();
    const auto desk = readings_.desk(std::chrono::steady_clock::now() + kTimeout);
    if (!desk) return {};

    struct Group {
        std::vector<const Client*> clients;
    };
    std::vector<std::pair<std::int32_t, Group>> groups;
    for (const ClientReading& reading : desk->clients) {
        const Client& client = reading.client;
        auto found = std::find_if(groups.begin(), groups.end(),
                                  [&](const auto& group) { return group.first == client.pid; });
        if (found == groups.end()) {
            groups.push_back({client.pid, {}});
            found = groups.end() - 1;
        }
        found->second.clients.push_back(&client);
    }

    std::vector<RunningApplication> applications;
    for (const auto& [pid, group] : groups) {
        RunningApplication application;
        application.pid = pid;
        const auto named = std::find_if(group.clients.begin(), group.clients.end(),
                                        [](const Client* c) { return !c->className.empty(); });
        if (named != group.clients.end()) {
            const Client& client = **named;
            if (const auto* installed =
                    installed_.forWindowClass(client.className, client.instanceName)) {
                application.bundleID = installed->id;
                application.localizedName = installed->name;
            } else {
                application.bundleID = client.className;
                application.localizedName = client.className;
            }
        }
        // Every application listed here has a managed window, which makes it
        // one the user works with; X has no hiding of a whole application,
        // only of its windows one by one.
        application.activationPolicy = ActivationPolicy::regular;
        application.isHidden = false;
        applications.push_back(std::move(application));
    }
    return applications;
}

std::optional<RunningApplication> X11Workspace::runningApplication(std::int32_t pid) {
    for (RunningApplication& application : runningApplications()) {
        if (application.pid == pid) return std::move(application);
    }
    return std::nullopt;
}

std::int32_t X11Workspace::ownProcessID() {
    return static_cast<std::int32_t>(::getpid());
}

std::optional<std::string> X11Workspace::ownBundleID() {
    return std::string("orvale");
}

}  // namespace orvale::x11
