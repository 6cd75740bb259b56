#include "platform/sim/SimulatedDesktop.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace orvale {
namespace {

double constrained(double value, std::optional<double> minimum, std::optional<double> maximum,
                   std::optional<double> increment) {
    if (minimum) value = std::max(value, *minimum);
    if (maximum) value = std::min(value, *maximum);
    if (increment && *increment > 0) {
        const double base = minimum.value_or(0);
        value = base + std::floor((value - base) / *increment) * *increment;
    }
    return value;
}

}  // namespace

std::uint32_t SimulatedDesktop::plugDisplay(SimulatedDisplay display) {
    std::lock_guard lock(mutex_);
    if (display.displayID == 0) display.displayID = nextDisplayID_;
    nextDisplayID_ = std::max(nextDisplayID_, display.displayID + 1);
    if (display.pixelWidth == 0) {
        display.pixelWidth = std::llround(display.frame.width * display.scale);
    }
    if (display.pixelHeight == 0) {
        display.pixelHeight = std::llround(display.frame.height * display.scale);
    }
    if (display.isPrimary) {
        for (SimulatedDisplay& other : displays_) other.isPrimary = false;
    }
    displays_.push_back(display);
    return display.displayID;
}

void SimulatedDesktop::unplugDisplay(std::uint32_t displayID) {
    std::lock_guard lock(mutex_);
    std::erase_if(displays_, [&](const SimulatedDisplay& d) { return d.displayID == displayID; });
}

void SimulatedDesktop::arrangeDisplay(std::uint32_t displayID, const RectD& frame,
                                      const RectD& visibleFrame) {
    std::lock_guard lock(mutex_);
    for (SimulatedDisplay& display : displays_) {
        if (display.displayID != displayID) continue;
        display.frame = frame;
        display.visibleFrame = visibleFrame;
    }
}

void SimulatedDesktop::makePrimary(std::uint32_t displayID) {
    std::lock_guard lock(mutex_);
    for (SimulatedDisplay& display : displays_) display.isPrimary = display.displayID == displayID;
}

std::int32_t SimulatedDesktop::launch(SimulatedApplication application) {
    std::lock_guard lock(mutex_);
    if (application.pid == 0) {
        while (findApplication(nextPID_)) ++nextPID_;
        application.pid = nextPID_++;
    }
    if (findApplication(application.pid)) {
        throw std::invalid_argument("process identifier already in use");
    }
    const std::uint64_t handle = nextHandle_++;
    Node& created = nodes_[handle];
    created.kind = NodeKind::application;
    created.pid = application.pid;
    applicationHandles_[application.pid] = handle;
    applications_.push_back(application);
    return application.pid;
}

SimulatedApplication SimulatedDesktop::application(std::int32_t pid) const {
    std::lock_guard lock(mutex_);
    const SimulatedApplication* found = findApplication(pid);
    if (!found) throw std::out_of_range("no such application");
    return *found;
}

void SimulatedDesktop::setApplicationHidden(std::int32_t pid, bool hidden) {
    std::lock_guard lock(mutex_);
    for (SimulatedApplication& app : applications_) {
        if (app.pid == pid) app.hidden = hidden;
    }
}

void SimulatedDesktop::terminate(std::int32_t pid) {
    std::lock_guard lock(mutex_);
    for (SimulatedApplication& app : applications_) {
        if (app.pid == pid) app.terminated = true;
    }
    for (auto& [handle, entry] : nodes_) {
        if (entry.pid == pid) entry.closed = true;
    }
    std::erase_if(stacking_, [&](std::uint64_t handle) { return nodes_.at(handle).pid == pid; });
}

void SimulatedDesktop::setOwnIdentity(std::int32_t pid, std::optional<std::string> bundleID) {
    std::lock_guard lock(mutex_);
    ownPID_ = pid;
    ownBundleID_ = std::move(bundleID);
}

AXElement SimulatedDesktop::openWindow(std::int32_t pid, SimulatedWindow window) {
    std::lock_guard lock(mutex_);
    const auto app = applicationHandles_.find(pid);
    if (app == applicationHandles_.end()) throw std::out_of_range("no such application");
    if (!window.number) window.number = nextWindowNumber_++;
    const std::uint64_t handle = nextHandle_++;
    Node& created = nodes_[handle];
    created.kind = NodeKind::window;
    created.pid = pid;
    created.window = std::move(window);
    nodes_.at(app->second).children.push_back(handle);
    stacking_.push_back(handle);
    return {pid, handle};
}

AXElement SimulatedDesktop::addElement(const AXElement& parent, SimulatedElement element) {
    std::lock_guard lock(mutex_);
    Node& parentNode = node(parent);
    const std::uint64_t handle = nextHandle_++;
    parentNode.children.push_back(handle);
    Node& created = nodes_[handle];
    created.kind = NodeKind::element;
    created.pid = parent.pid;
    created.element = std::move(element);
    return {parent.pid, handle};
}

SimulatedWindow SimulatedDesktop::window(const AXElement& window) const {
    std::lock_guard lock(mutex_);
    return node(window).window;
}

void SimulatedDesktop::updateWindow(const AXElement& window, const SimulatedWindow& updated) {
    std::lock_guard lock(mutex_);
    node(window).window = updated;
}

void SimulatedDesktop::closeWindow(const AXElement& window) {
    std::lock_guard lock(mutex_);
    node(window).closed = true;
    std::erase(stacking_, window.handle);
}

void SimulatedDesktop::raise(const AXElement& window) {
    std::lock_guard lock(mutex_);
    if (std::erase(stacking_, window.handle) > 0) {
        stacking_.insert(stacking_.begin(), window.handle);
    }
}

void SimulatedDesktop::addOnScreenEntry(const WindowInfo& entry) {
    std::lock_guard lock(mutex_);
    rawEntries_.push_back(entry);
}

void SimulatedDesktop::setWindowListAvailable(bool available) {
    std::lock_guard lock(mutex_);
    windowListAvailable_ = available;
}

void SimulatedDesktop::setTrusted(bool trusted) {
    std::lock_guard lock(mutex_);
    trusted_ = trusted;
}

void SimulatedDesktop::revokePermissionAfterWrites(int writes) {
    std::lock_guard lock(mutex_);
    writesBeforeRevoking_ = writes;
    if (writes <= 0) trusted_ = false;
}

void SimulatedDesktop::overrideAttribute(const AXElement& element, std::string_view attribute,
                                         AXValue value) {
    std::lock_guard lock(mutex_);
    node(element).overrides[std::string(attribute)] = std::move(value);
}

void SimulatedDesktop::failReads(const AXElement& element, std::string_view attribute,
                                 SimulatedFault fault) {
    std::lock_guard lock(mutex_);
    node(element).readFaults[std::string(attribute)] = fault;
}

void SimulatedDesktop::failWrites(const AXElement& element, std::string_view attribute,
                                  SimulatedFault fault) {
    std::lock_guard lock(mutex_);
    node(element).writeFaults[std::string(attribute)] = fault;
}

void SimulatedDesktop::setResponseTime(const AXElement& element, double seconds) {
    std::lock_guard lock(mutex_);
    node(element).responseTime = seconds;
}

void SimulatedDesktop::vanishAfterReads(const AXElement& window, int reads) {
    std::lock_guard lock(mutex_);
    node(window).readsLeft = reads;
    if (reads <= 0) {
        node(window).closed = true;
        std::erase(stacking_, window.handle);
    }
}

std::vector<SimulatedAction> SimulatedDesktop::actions() const {
    std::lock_guard lock(mutex_);
    return actions_;
}

std::size_t SimulatedDesktop::count(SimulatedAction::Kind kind, std::string_view attribute) const {
    std::lock_guard lock(mutex_);
    return std::count_if(actions_.begin(), actions_.end(), [&](const SimulatedAction& action) {
        return action.kind == kind && (attribute.empty() || action.attribute == attribute);
    });
}

std::size_t SimulatedDesktop::count(SimulatedAction::Kind kind, const AXElement& element,
                                    std::string_view attribute) const {
    std::lock_guard lock(mutex_);
    return std::count_if(actions_.begin(), actions_.end(), [&](const SimulatedAction& action) {
        return action.kind == kind && action.element == element &&
               (attribute.empty() || action.attribute == attribute);
    });
}

std::vector<std::string> SimulatedDesktop::writtenAttributes() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> written;
    for (const SimulatedAction& action : actions_) {
        if (action.kind == SimulatedAction::Kind::write) written.push_back(action.attribute);
    }
    return written;
}

std::optional<double> SimulatedDesktop::messagingTimeout(const AXElement& element) const {
    std::lock_guard lock(mutex_);
    for (auto action = actions_.rbegin(); action != actions_.rend(); ++action) {
        if (action->element == element) return action->seconds;
    }
    return std::nullopt;
}

void SimulatedDesktop::clearActions() {
    std::lock_guard lock(mutex_);
    actions_.clear();
}

void SimulatedDesktop::setRecording(bool recording) {
    std::lock_guard lock(mutex_);
    recording_ = recording;
}

bool SimulatedDesktop::isProcessTrusted() {
    std::lock_guard lock(mutex_);
    return trusted_;
}

AXElement SimulatedDesktop::applicationElement(std::int32_t pid) {
    std::lock_guard lock(mutex_);
    const auto found = applicationHandles_.find(pid);
    // Handle 0 belongs to no element: every call on it fails as invalid.
    return {pid, found == applicationHandles_.end() ? 0 : found->second};
}

AXResult SimulatedDesktop::copyAttributeValue(const AXElement& element, std::string_view attribute,
                                              double timeout) {
    std::lock_guard lock(mutex_);
    AXResult result = readLocked(element, attribute, timeout);
    record(SimulatedAction::Kind::read, element, attribute, {}, timeout, result.error);
    return result;
}

AXError SimulatedDesktop::setAttributeValue(const AXElement& element, std::string_view attribute,
                                            const AXValue& value, double timeout) {
    std::function<void(const AXElement&, std::string_view)> observer;
    AXError result;
    {
        std::lock_guard lock(mutex_);
        result = writeLocked(element, attribute, value, timeout);
        record(SimulatedAction::Kind::write, element, attribute, value, timeout, result);
        observer = writeObserver_;
    }
    if (observer) observer(element, attribute);
    return result;
}

void SimulatedDesktop::observeWrites(
    std::function<void(const AXElement&, std::string_view)> observer) {
    std::lock_guard lock(mutex_);
    writeObserver_ = std::move(observer);
}

std::optional<std::vector<WindowInfo>> SimulatedDesktop::onScreenWindows() {
    std::lock_guard lock(mutex_);
    if (!windowListAvailable_) return std::nullopt;
    std::vector<WindowInfo> list;
    for (std::uint64_t handle : stacking_) {
        const Node& entry = nodes_.at(handle);
        const SimulatedApplication* app = findApplication(entry.pid);
        const SimulatedWindow& w = entry.window;
        if (entry.closed || !w.onActiveDesktop || w.minimized) continue;
        if (!app || app->hidden || app->terminated) continue;
        list.push_back({entry.pid, w.number, w.layer, w.alpha, w.onScreenBounds.value_or(w.frame)});
    }
    list.insert(list.end(), rawEntries_.begin(), rawEntries_.end());
    return list;
}

std::vector<RunningApplication> SimulatedDesktop::runningApplications() {
    std::lock_guard lock(mutex_);
    std::vector<RunningApplication> running;
    for (const SimulatedApplication& app : applications_) {
        running.push_back(
            {app.pid, app.bundleID, app.name, app.activationPolicy, app.hidden, app.terminated});
    }
    return running;
}

std::optional<RunningApplication> SimulatedDesktop::runningApplication(std::int32_t pid) {
    std::lock_guard lock(mutex_);
    const SimulatedApplication* app = findApplication(pid);
    if (!app) return std::nullopt;
    return RunningApplication{app->pid,    app->bundleID,  app->name, app->activationPolicy,
                              app->hidden, app->terminated};
}

std::int32_t SimulatedDesktop::ownProcessID() {
    std::lock_guard lock(mutex_);
    return ownPID_;
}

std::optional<std::string> SimulatedDesktop::ownBundleID() {
    std::lock_guard lock(mutex_);
    return ownBundleID_;
}

ScreenList SimulatedDesktop::screens() {
    std::lock_guard lock(mutex_);
    ScreenList list;
    for (const SimulatedDisplay& display : displays_) {
        if (!display.isPrimary) continue;
        list.mainDisplayID = display.displayID;
        list.mainDisplayHeight = display.frame.height;
        break;
    }
    for (const SimulatedDisplay& display : displays_) {
        ScreenInfo screen;
        if (display.hasDisplayNumber) screen.displayID = display.displayID;
        screen.frame = flippedVertically(display.frame, list.mainDisplayHeight);
        screen.visibleFrame = flippedVertically(display.visibleFrame, list.mainDisplayHeight);
        screen.localizedName = display.name;
        screen.backingScaleFactor = display.scale;
        screen.identity = display.identity;
        screen.pixelWidth = display.pixelWidth;
        screen.pixelHeight = display.pixelHeight;
        list.screens.push_back(screen);
    }
    return list;
}

SimulatedDesktop::Node& SimulatedDesktop::node(const AXElement& element) {
    const auto found = nodes_.find(element.handle);
    if (found == nodes_.end() || found->second.pid != element.pid) {
        throw std::out_of_range("no such element");
    }
    return found->second;
}

const SimulatedDesktop::Node& SimulatedDesktop::node(const AXElement& element) const {
    return const_cast<SimulatedDesktop*>(this)->node(element);
}

SimulatedDesktop::Node* SimulatedDesktop::liveNode(const AXElement& element) {
    const auto found = nodes_.find(element.handle);
    if (found == nodes_.end() || found->second.pid != element.pid || found->second.closed) {
        return nullptr;
    }
    return &found->second;
}

const SimulatedApplication* SimulatedDesktop::findApplication(std::int32_t pid) const {
    for (const SimulatedApplication& app : applications_) {
        if (app.pid == pid) return &app;
    }
    return nullptr;
}

bool SimulatedDesktop::spendCallTime(const AXElement& element, const Node& target, double timeout) {
    std::optional<double> responseTime = target.responseTime;
    if (!responseTime) {
        const auto app = applicationHandles_.find(element.pid);
        if (app != applicationHandles_.end()) responseTime = nodes_.at(app->second).responseTime;
    }
    const double spent = responseTime.value_or(0);
    if (spent > timeout) {
        clock_.advance(timeout);
        return false;
    }
    clock_.advance(spent);
    return true;
}

std::optional<AXError> SimulatedDesktop::takeFault(
    std::map<std::string, SimulatedFault, std::less<>>& faults, std::string_view attribute) {
    const auto found = faults.find(attribute);
    if (found == faults.end()) return std::nullopt;
    SimulatedFault& fault = found->second;
    if (fault.after > 0) {
        --fault.after;
        return std::nullopt;
    }
    if (fault.times == 0) return std::nullopt;
    if (fault.times > 0) --fault.times;
    return fault.code;
}

AXResult SimulatedDesktop::readLocked(const AXElement& element, std::string_view attribute,
                                      double timeout) {
    Node* target = liveNode(element);
    if (!target) return {AXErrorCode::invalidUIElement, {}};
    AXResult result;
    if (!trusted_) {
        result.error = AXErrorCode::apiDisabled;
    } else if (!spendCallTime(element, *target, timeout)) {
        result.error = AXErrorCode::cannotComplete;
    } else if (const auto fault = takeFault(target->readFaults, attribute)) {
        result.error = *fault;
    } else if (const auto overridden = target->overrides.find(attribute);
               overridden != target->overrides.end()) {
        result.value = overridden->second;
    } else if (auto value = attributeValue(*target, attribute)) {
        result.value = std::move(*value);
    } else {
        result.error = AXErrorCode::attributeUnsupported;
    }
    if (target->readsLeft && --*target->readsLeft <= 0) {
        target->closed = true;
        std::erase(stacking_, element.handle);
    }
    return result;
}

std::optional<AXValue> SimulatedDesktop::attributeValue(const Node& target,
                                                        std::string_view attribute) const {
    const auto children = [&] {
        std::vector<AXElement> elements;
        for (std::uint64_t handle : target.children) {
            const Node& child = nodes_.at(handle);
            if (!child.closed) elements.push_back({child.pid, handle});
        }
        return elements;
    };
    const auto text = [](const std::optional<std::string>& value) -> std::optional<AXValue> {
        if (!value) return std::nullopt;
        return AXValue{*value};
    };
    const auto url = [](const std::optional<std::string>& value) -> std::optional<AXValue> {
        if (!value) return std::nullopt;
        return AXValue{AXURL{*value}};
    };

    switch (target.kind) {
        case NodeKind::application:
            if (attribute == AXAttribute::windows) return children();
            if (attribute == AXAttribute::role) return AXValue{std::string("AXApplication")};
            return std::nullopt;
        case NodeKind::window: {
            const SimulatedWindow& w = target.window;
            if (attribute == AXAttribute::role) return AXValue{w.role};
            if (attribute == AXAttribute::subrole) return AXValue{w.subrole};
            if (attribute == AXAttribute::minimized) return AXValue{w.minimized};
            if (attribute == AXAttribute::fullScreen && w.fullScreen) {
                return AXValue{*w.fullScreen};
            }
            if (attribute == AXAttribute::position) return AXValue{AXPoint{w.frame.x, w.frame.y}};
            if (attribute == AXAttribute::size) {
                return AXValue{AXSize{w.frame.width, w.frame.height}};
            }
            if (attribute == AXAttribute::url) return url(w.url);
            if (attribute == AXAttribute::document) return text(w.document);
            if (attribute == AXAttribute::children) return children();
            return std::nullopt;
        }
        case NodeKind::element: {
            const SimulatedElement& e = target.element;
            if (attribute == AXAttribute::role) return AXValue{e.role};
            if (attribute == AXAttribute::url) return url(e.url);
            if (attribute == AXAttribute::document) return text(e.document);
            if (attribute == AXAttribute::children) return children();
            return std::nullopt;
        }
    }
    return std::nullopt;
}

AXError SimulatedDesktop::writeLocked(const AXElement& element, std::string_view attribute,
                                      const AXValue& value, double timeout) {
    Node* target = liveNode(element);
    if (!target) return AXErrorCode::invalidUIElement;
    if (!trusted_) return AXErrorCode::apiDisabled;
    if (writesBeforeRevoking_ && --*writesBeforeRevoking_ <= 0) {
        trusted_ = false;
        writesBeforeRevoking_.reset();
    }
    if (!spendCallTime(element, *target, timeout)) return AXErrorCode::cannotComplete;
    if (const auto fault = takeFault(target->writeFaults, attribute)) return *fault;
    if (target->kind != NodeKind::window) return AXErrorCode::attributeUnsupported;

    SimulatedWindow& w = target->window;
    if (attribute == AXAttribute::size) {
        const auto* size = std::get_if<AXSize>(&value);
        if (!size) return AXErrorCode::illegalArgument;
        if (w.ignoresWrites) return AXErrorCode::success;
        const auto limit = [](const std::optional<SizeD>& s, double SizeD::*field) {
            return s ? std::optional<double>((*s).*field) : std::nullopt;
        };
        w.frame.width =
            constrained(size->width, limit(w.minimumSize, &SizeD::width),
                        limit(w.maximumSize, &SizeD::width), limit(w.sizeIncrement, &SizeD::width));
        w.frame.height = constrained(size->height, limit(w.minimumSize, &SizeD::height),
                                     limit(w.maximumSize, &SizeD::height),
                                     limit(w.sizeIncrement, &SizeD::height));
        return AXErrorCode::success;
    }
    if (attribute == AXAttribute::position) {
        const auto* point = std::get_if<AXPoint>(&value);
        if (!point) return AXErrorCode::illegalArgument;
        if (w.ignoresWrites) return AXErrorCode::success;
        w.frame.x = point->x + w.landingOffset.x;
        w.frame.y = point->y + w.landingOffset.y;
        return AXErrorCode::success;
    }
    return AXErrorCode::attributeUnsupported;
}

void SimulatedDesktop::pressButton(int button) {
    std::lock_guard lock(mutex_);
    pressedButtons_ |= Pointer::button(button);
}

void SimulatedDesktop::releaseButton(int button) {
    std::lock_guard lock(mutex_);
    pressedButtons_ &= ~Pointer::button(button);
}

std::optional<std::uint32_t> SimulatedDesktop::pressedButtons() {
    std::lock_guard lock(mutex_);
    record(SimulatedAction::Kind::pointer, {}, "pressedButtons", double(pressedButtons_), 0,
           AXErrorCode::success);
    return pressedButtons_;
}

void SimulatedDesktop::record(SimulatedAction::Kind kind, const AXElement& element,
                              std::string_view attribute, const AXValue& value, double seconds,
                              AXError result) {
    if (!recording_) return;
    SimulatedAction action;
    action.kind = kind;
    action.element = element;
    action.attribute = std::string(attribute);
    action.value = value;
    action.seconds = seconds;
    action.result = result;
    actions_.push_back(std::move(action));
}

}  // namespace orvale
