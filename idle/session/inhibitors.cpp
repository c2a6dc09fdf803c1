#include "idle/session/inhibitors.h"

#include "idle/session/buses.h"
#include "idle/session/colon_list.h"

#include <cstdint>

namespace {
// gnome-session's inhibit flags: 8 is idle.
constexpr std::uint32_t inhibitIdle = 8;

// A reply holding one boolean, unreferenced here; false when the call failed.
bool saysTrue(sd_bus_message* reply)
{
    int held = 0;
    if (reply)
        sd_bus_message_read(reply, "b", &held);
    sd_bus_message_unref(reply);
    return held;
}

bool gnomeSessionInhibits()
{
    sd_bus* bus = sessionBus();
    if (!nameOwned(bus, "org.gnome.SessionManager"))
        return false;
    return saysTrue(busCall(bus, "org.gnome.SessionManager", "/org/gnome/SessionManager",
        "org.gnome.SessionManager", "IsInhibited", "u", inhibitIdle));
}

// KDE Plasma's power manager: players and browsers inhibit through it, and
// the compositor's idle reports do not count what it holds.
bool powerManagementInhibits()
{
    sd_bus* bus = sessionBus();
    const char* name = "org.freedesktop.PowerManagement.Inhibit";
    if (!nameOwned(bus, name))
        return false;
    return saysTrue(busCall(bus, name, "/org/freedesktop/PowerManagement/Inhibit", name, "HasInhibit"));
}

bool logindInhibits()
{
    sd_bus* bus = systemBus();
    if (!nameOwned(bus, "org.freedesktop.login1"))
        return false;
    const char* held = nullptr;
    sd_bus_message* reply = busProperty(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
        "org.freedesktop.login1.Manager", "BlockInhibited", "s", &held);
    const bool idle = reply && colonListHas(held, "idle");
    sd_bus_message_unref(reply);
    return idle;
}
}

bool busInhibitorHeld()
{
    return gnomeSessionInhibits() || powerManagementInhibits() || logindInhibits();
}
