#include "platform/x11/Struts.h"

#include <algorithm>
#include <set>

#include "platform/x11/Property.h"

namespace orvale::x11 {
namespace {

// Far more windows than any desktop has; a bound in case of a runaway tree.
constexpr std::size_t kMostWindows = 20000;

bool overlaps(const RectD& a, const RectD& b) {
    return a.width > 0 && a.height > 0 && b.width > 0 && b.height > 0 && a.x < b.x + b.width &&
           b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// A strut's [start, end] range is inclusive.
double span(std::uint32_t start, std::uint32_t end) {
    return static_cast<double>(end) - static_cast<double>(start) + 1;
}

Strut strutOf(const std::vector<std::uint32_t>& partial, const std::vector<std::uint32_t>& plain) {
    if (partial.size() >= 12) return partial;
    if (plain.size() < 4) return {};
    constexpr std::uint32_t kWhole = 0xFFFFFFFF;
    return {plain[0], plain[1], plain[2], plain[3], 0, kWhole, 0, kWhole, 0, kWhole, 0, kWhole};
}

struct WindowRequests {
    xcb_window_t window;
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_property_cookie_t state, partial, plain;
    xcb_query_tree_cookie_t tree;
};

std::vector<xcb_window_t> childrenOf(const ReplyOr<xcb_query_tree_reply_t>& tree) {
    if (!tree) return {};
    const xcb_window_t* first = xcb_query_tree_children(tree.reply.get());
    return {first, first + xcb_query_tree_children_length(tree.reply.get())};
}

// The managed clients and every window between them and the root (their
// frames): the only windows under a frame worth looking into, since the rest
// of a frame is the window manager's decoration, which never holds a client.
// Nothing when the list or a parent cannot be read by `deadline`.
std::optional<std::set<xcb_window_t>> clientsAndFrames(X11Connection& connection,
                                                       Instant deadline) {
    xcb_connection_t* c = connection.raw();
    const auto list = connection.reply<xcb_get_property_reply_t>(
        requestProperty(c, connection.root(), connection.ewmh()._NET_CLIENT_LIST), deadline);
    if (list.error == AXErrorCode::cannotComplete) return std::nullopt;
    const std::vector<std::uint32_t> clients = values32(list);
    std::set<xcb_window_t> windows(clients.begin(), clients.end());
    std::vector<xcb_window_t> level(clients.begin(), clients.end());
    while (!level.empty() && windows.size() < kMostWindows) {
        std::vector<xcb_query_tree_cookie_t> trees;
        for (xcb_window_t window : level) trees.push_back(xcb_query_tree(c, window));
        std::vector<xcb_window_t> parents;
        for (const auto& cookie : trees) {
            const auto tree = connection.reply<xcb_query_tree_reply_t>(cookie, deadline);
            if (tree.error == AXErrorCode::cannotComplete) return std::nullopt;
            // A client gone meanwhile has nothing to frame.
            if (!tree || tree->parent == connection.root() || tree->parent == XCB_NONE) continue;
            if (windows.insert(tree->parent).second) parents.push_back(tree->parent);
        }
        level = std::move(parents);
    }
    return windows;
}

}  // namespace

std::optional<std::vector<Strut>> readStruts(X11Connection& connection, Instant deadline) {
    xcb_connection_t* c = connection.raw();
    const auto top =
        connection.reply<xcb_query_tree_reply_t>(xcb_query_tree(c, connection.root()), deadline);
    if (!top) return std::nullopt;
    const auto framed = clientsAndFrames(connection, deadline);
    if (!framed) return std::nullopt;
    std::vector<Strut> struts;
    std::vector<xcb_window_t> level = childrenOf(top);
    std::size_t seen = 0;
    bool timedOut = false;
    while (!level.empty() && seen < kMostWindows) {
        seen += level.size();
        std::vector<WindowRequests> requests;
        requests.reserve(level.size());
        for (xcb_window_t window : level) {
            requests.push_back({
                .window = window,
                .attributes = xcb_get_window_attributes(c, window),
                .state = requestProperty(c, window, connection.wmStateAtom()),
                .partial = requestProperty(c, window, connection.ewmh()._NET_WM_STRUT_PARTIAL),
                .plain = requestProperty(c, window, connection.ewmh()._NET_WM_STRUT),
                .tree = xcb_query_tree(c, window),
            });
        }
        std::vector<xcb_window_t> next;
        for (const WindowRequests& request : requests) {
            using Property = ReplyOr<xcb_get_property_reply_t>;
            const auto attributes =
                connection.reply<xcb_get_window_attributes_reply_t>(request.attributes, deadline);
            const Property state =
                connection.reply<xcb_get_property_reply_t>(request.state, deadline);
            const Property partial =
                connection.reply<xcb_get_property_reply_t>(request.partial, deadline);
            const Property plain =
                connection.reply<xcb_get_property_reply_t>(request.plain, deadline);
            const auto tree = connection.reply<xcb_query_tree_reply_t>(request.tree, deadline);
            // A window that went away while being read has nothing to leave out.
            for (AXError error :
                 {attributes.error, state.error, partial.error, plain.error, tree.error}) {
                if (error == AXErrorCode::cannotComplete) timedOut = true;
            }
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
            if (Strut strut = strutOf(values32(partial), values32(plain)); !strut.empty()) {
                struts.push_back(std::move(strut));
            }
            // A client's own children are the application's business; a
            // frame's only window worth a look is the one holding its client.
            if (!state || state->type == XCB_NONE) {
                const bool frame = framed->contains(request.window);
                for (xcb_window_t child : childrenOf(tree)) {
                    if (!frame || framed->contains(child)) next.push_back(child);
                }
            }
        }
        if (timedOut) return std::nullopt;
        level = std::move(next);
    }
    return struts;
}

RectD visibleArea(const RectD& monitor, SizeD rootSize, const std::vector<Strut>& struts) {
    double left = monitor.x;
    double top = monitor.y;
    double right = monitor.x + monitor.width;
    double bottom = monitor.y + monitor.height;
    for (const auto& s : struts) {
        if (s.size() < 12) continue;
        const RectD leftBand{0, double(s[4]), double(s[0]), span(s[4], s[5])};
        const RectD rightBand{rootSize.width - s[1], double(s[6]), double(s[1]), span(s[6], s[7])};
        const RectD topBand{double(s[8]), 0, span(s[8], s[9]), double(s[2])};
        const RectD bottomBand{double(s[10]), rootSize.height - s[3], span(s[10], s[11]),
                               double(s[3])};
        if (overlaps(leftBand, monitor)) left = std::max(left, leftBand.x + leftBand.width);
        if (overlaps(rightBand, monitor)) right = std::min(right, rightBand.x);
        if (overlaps(topBand, monitor)) top = std::max(top, topBand.y + topBand.height);
        if (overlaps(bottomBand, monitor)) bottom = std::min(bottom, bottomBand.y);
    }
    return {left, top, std::max(0.0, right - left), std::max(0.0, bottom - top)};
}

RectD withinWorkArea(const RectD& visible, const RectD& workArea) {
    if (!overlaps(visible, workArea)) return visible;
    const double left = std::max(visible.x, workArea.x);
    const double top = std::max(visible.y, workArea.y);
    const double right = std::min(visible.x + visible.width, workArea.x + workArea.width);
    const double bottom = std::min(visible.y + visible.height, workArea.y + workArea.height);
    return {left, top, right - left, bottom - top};
}

}  // namespace orvale::x11
