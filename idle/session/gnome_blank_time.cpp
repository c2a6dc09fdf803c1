#include "idle/session/gnome_blank_time.h"

#include "idle/session/buses.h"
#include "idle/session/colon_list.h"
#include "idle/session/owned_signals.h"

#include <cstdlib>
#include <gio/gio.h>
#include <string_view>

namespace {
struct SettingsDesk {
    // As XDG_CURRENT_DESKTOP names it.
    const char* desktop;
    const char* schemaId;
    // The key as dconf names it in its change signal.
    std::string_view keyPath;
    const char* whose;
    const char* setting;
};
const SettingsDesk gnome {"GNOME", "org.gnome.desktop.session", "/org/gnome/desktop/session/idle-delay",
    "GNOME's blank time", "idle-delay of org.gnome.desktop.session"};
const SettingsDesk cinnamon {"X-Cinnamon", "org.cinnamon.desktop.session", "/org/cinnamon/desktop/session/idle-delay",
    "Cinnamon's blank time", "idle-delay of org.cinnamon.desktop.session"};
const char* const key = "idle-delay";

const SettingsDesk* desk = &gnome;
GSettings* settings = nullptr;
bool touched = false;

// GIO aborts on a schema it does not have, so it is looked up first.
GSettings* openSettings()
{
    if (settings)
        return settings;
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, desk->schemaId, TRUE) : nullptr;
    if (!schema)
        return nullptr;
    if (g_settings_schema_has_key(schema, key))
        settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
    return settings;
}


// dconf's Notify: (prefix, changes under it, tag); any sender only makes
// the time be read again.
int onNotify(sd_bus_message* message, void*, sd_bus_error*)
{
    const char* prefix = nullptr;
    if (sd_bus_message_read(message, "s", &prefix) >= 0 && prefix && desk->keyPath.starts_with(prefix))
        touched = true;
    return 0;
}
}

bool onGsettingsDesk()
{
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    // Cinnamon's own key, even where GNOME is named beside it.
    if (desktops && colonListHas(desktops, cinnamon.desktop)) {
        desk = &cinnamon;
        return openSettings();
    }
    const bool named
        = (desktops && colonListHas(desktops, gnome.desktop)) || nameOwned(sessionBus(), "org.gnome.Mutter.IdleMonitor");
    return named && openSettings();
}

BlankTime gsettingsBlankTime()
{
    BlankTime time {0, desk->whose, desk->setting};
    if (GSettings* opened = openSettings()) {
        GVariant* value = g_settings_get_value(opened, key);
        if (g_variant_is_of_type(value, G_VARIANT_TYPE_UINT32))
            time.seconds = g_variant_get_uint32(value);
        g_variant_unref(value);
    }
    // What GIO queued for a main loop (dconf's own change reports) is let go.
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    return time;
}

void watchGsettingsBlankTime()
{
    if (sd_bus* bus = sessionBus())
        matchOwnedSignal(bus, "ca.desrt.dconf", nullptr, "ca.desrt.dconf.Writer", "Notify", onNotify);
}

bool gsettingsBlankTimeTouched()
{
    const bool was = touched;
    touched = false;
    return was;
}
