#include "platform/xdg/InstalledApplications.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <algorithm>
#include <utility>

namespace orvale::xdg {
namespace {

struct MainContextUnref {
    void operator()(GMainContext* context) const { g_main_context_unref(context); }
};

std::string text(const char* value) {
    return value ? value : "";
}

InstalledApplication describe(GDesktopAppInfo* entry) {
    GAppInfo* info = G_APP_INFO(entry);
    std::string id = text(g_app_info_get_id(info));
    if (id.ends_with(".desktop")) id.resize(id.size() - std::string_view(".desktop").size());
    g_autofree char* icon = nullptr;
    if (GIcon* image = g_app_info_get_icon(info)) icon = g_icon_to_string(image);
    return {
        .id = std::move(id),
        .name = text(g_app_info_get_name(info)),
        .icon = text(icon),
        .startupWMClass = text(g_desktop_app_info_get_startup_wm_class(entry)),
        .shown = g_app_info_should_show(info) != FALSE,
    };
}

std::vector<InstalledApplication> readAll() {
    std::vector<InstalledApplication> applications;
    g_autolist(GAppInfo) all = g_app_info_get_all();
    for (GList* item = all; item; item = item->next) {
        if (G_IS_DESKTOP_APP_INFO(item->data)) {
            applications.push_back(describe(G_DESKTOP_APP_INFO(item->data)));
        }
    }
    std::sort(applications.begin(), applications.end(),
              [](const auto& a, const auto& b) { return a.id < b.id; });
    return applications;
}

void noteChange(GAppInfoMonitor*, gpointer changed) {
    *static_cast<bool*>(changed) = true;
}

}  // namespace

// GIO tells of a change to the application folders through a monitor that
// signals in the main context it was made for; a private one, looked at
// before each answer, takes the place of an event loop.
struct InstalledApplications::ChangeWatch {
    ChangeWatch() : context(g_main_context_new()) {
        g_main_context_push_thread_default(context.get());
        monitor = g_app_info_monitor_get();
        g_main_context_pop_thread_default(context.get());
        g_signal_connect(monitor, "changed", G_CALLBACK(noteChange), &changed);
    }
    ~ChangeWatch() {
        // The monitor must go in the context it was made for.
        g_main_context_push_thread_default(context.get());
        g_object_unref(monitor);
        g_main_context_pop_thread_default(context.get());
    }

    bool takeChange() {
        while (g_main_context_iteration(context.get(), FALSE)) {
        }
        return std::exchange(changed, false);
    }

    std::unique_ptr<GMainContext, MainContextUnref> context;
    GAppInfoMonitor* monitor = nullptr;
    // Until the first reading, which also arms the monitor.
    bool changed = true;
};

InstalledApplications::InstalledApplications() : watch_(std::make_unique<ChangeWatch>()) {}

InstalledApplications::~InstalledApplications() = default;

const std::vector<InstalledApplication>& InstalledApplications::all() {
    if (watch_->takeChange()) applications_ = readAll();
    return applications_;
}

const InstalledApplication* InstalledApplications::forWindowClass(std::string_view className,
                                                                  std::string_view instanceName) {
    const auto& applications = all();
    const auto first = [&](auto matches) -> const InstalledApplication* {
        for (std::string_view wanted : {className, instanceName}) {
            if (wanted.empty()) continue;
            for (const InstalledApplication& application : applications) {
                if (matches(application, wanted)) return &application;
            }
        }
        return nullptr;
    };
    if (const auto* found =
            first([](const InstalledApplication& application, std::string_view wanted) {
                return application.startupWMClass == wanted;
            })) {
        return found;
    }
    return first([](const InstalledApplication& application, std::string_view wanted) {
        return application.id.size() == wanted.size() &&
               g_ascii_strncasecmp(application.id.data(), wanted.data(), wanted.size()) == 0;
    });
}

}  // namespace orvale::xdg
