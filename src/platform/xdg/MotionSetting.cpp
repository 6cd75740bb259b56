#include "platform/xdg/MotionSetting.h"

#include <gio/gio.h>

#include <memory>

namespace orvale::xdg {
namespace {

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

KeyFile load(const std::filesystem::path& path) {
    KeyFile file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) {
        return nullptr;
    }
    return file;
}

bool gnomeAnimationsOff() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return false;
    GSettingsSchema* schema =
        g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE);
    if (!schema) return false;
    const bool hasKey = g_settings_schema_has_key(schema, "enable-animations");
    g_settings_schema_unref(schema);
    if (!hasKey) return false;
    GSettings* settings = g_settings_new("org.gnome.desktop.interface");
    const bool off = !g_settings_get_boolean(settings, "enable-animations");
    g_object_unref(settings);
    return off;
}

bool gtkAnimationsOff(const std::filesystem::path& configHome) {
    for (const char* folder : {"gtk-3.0", "gtk-4.0"}) {
        const auto file = load(configHome / folder / "settings.ini");
        if (!file) continue;
        GError* error = nullptr;
        const gboolean on =
            g_key_file_get_boolean(file.get(), "Settings", "gtk-enable-animations", &error);
        if (error) {
            g_error_free(error);
            continue;
        }
        if (!on) return true;
    }
    return false;
}

bool kdeAnimationsOff(const std::filesystem::path& configHome) {
    const auto file = load(configHome / "kdeglobals");
    if (!file) return false;
    GError* error = nullptr;
    const double factor =
        g_key_file_get_double(file.get(), "KDE", "AnimationDurationFactor", &error);
    if (error) {
        g_error_free(error);
        return false;
    }
    return factor == 0;
}

}  // namespace

bool desktopReducesMotion(const std::filesystem::path& configHome) {
    return gtkAnimationsOff(configHome) || kdeAnimationsOff(configHome) || gnomeAnimationsOff();
}

}  // namespace orvale::xdg
