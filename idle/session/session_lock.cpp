#include "idle/session/session_lock.h"

#include "idle/decide/companion.h"
#include "idle/session/buses.h"
#include "idle/session/owned_signals.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const char* const logind = "org.freedesktop.login1";
const char* const sessionInterface = "org.freedesktop.login1.Session";

// This session's object, while logind has an owner.
std::string sessionPath;

struct Shield {
    Service service;
    const char* name;
    const char* interface;
    // Where GetActive is asked, the first that answers; signals come on any.
    const char* paths[2];
};
// GNOME's screen shield; KDE Plasma's screen locker, which locks on its
// own timer without logind's Lock and tells on more than one path; and
// Cinnamon's, which leaves the bus 30 s after it was last needed and comes
// back to lock, saying so once it has the name.
const Shield shields[] = {
    {Service::GnomeShield, "org.gnome.ScreenSaver", "org.gnome.ScreenSaver", {"/org/gnome/ScreenSaver", nullptr}},
    {Service::PlasmaShield, "org.freedesktop.ScreenSaver", "org.freedesktop.ScreenSaver",
        {"/org/freedesktop/ScreenSaver", "/ScreenSaver"}},
    {Service::CinnamonShield, "org.cinnamon.ScreenSaver", "org.cinnamon.ScreenSaver",
        {"/org/cinnamon/ScreenSaver", nullptr}},
};

int onShieldChanged(sd_bus_message* message, void* data, sd_bus_error*)
{
    int active = 0;
    if (sd_bus_message_read(message, "b", &active) >= 0)
        hear({Heard::Shield, bool(active), static_cast<const Shield*>(data)->service});
    return 0;
}

// Asked only of a running service: asking would start one the bus can.
bool shieldActive(const Shield& shield)
{
    for (const char* path : shield.paths) {
        if (!path)
            break;
        sd_bus_message* reply = busCall(sessionBus(), shield.name, path, shield.interface, "GetActive");
        int active = 0;
        const bool read = reply && sd_bus_message_read(reply, "b", &active) >= 0;
        sd_bus_message_unref(reply);
        if (read)
            return active;
        // Unanswered: its other path would keep us as long again.
        if (busSilent(shield.name))
            break;
    }
    return false;
}

// A shield's owner: a new one is asked afresh, none is no shield.
void shieldOwnerChanged(void* data, bool owned)
{
    const Shield& shield = *static_cast<const Shield*>(data);
    hear({Heard::OwnerChanged, owned, shield.service});
    if (owned)
        hear({Heard::Shield, shieldActive(shield), shield.service});
}

// A signal of this session's object (logind's are matched on every path,
// as a new logind may give the session another).
bool ofThisSession(sd_bus_message* message)
{
    const char* path = sd_bus_message_get_path(message);
    return path && !sessionPath.empty() && sessionPath == path;
}

int onLock(sd_bus_message* message, void*, sd_bus_error*)
{
    if (ofThisSession(message))
        hear({Heard::Lock});
    return 0;
}

int onUnlock(sd_bus_message* message, void*, sd_bus_error*)
{
    if (ofThisSession(message))
        hear({Heard::Unlock});
    return 0;
}

void readLockedHint()
{
    int locked = 0;
    if (sd_bus_message* reply
        = busProperty(systemBus(), logind, sessionPath.c_str(), sessionInterface, "LockedHint", "b", &locked)) {
        sd_bus_message_unref(reply);
        hear({Heard::LockedHint, bool(locked)});
    }
}

// PropertiesChanged(s interface, a{sv} changed, as invalidated): LockedHint
// among the changed, or invalidated and read again.
int onSessionProperties(sd_bus_message* message, void*, sd_bus_error*)
{
    const char* interface = nullptr;
    if (!ofThisSession(message) || sd_bus_message_read(message, "s", &interface) < 0
        || std::strcmp(interface, sessionInterface) != 0 || sd_bus_message_enter_container(message, 'a', "{sv}") < 0)
        return 0;
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        int locked = 0;
        if (sd_bus_message_read(message, "s", &name) < 0)
            return 0;
        if (std::strcmp(name, "LockedHint") == 0 && sd_bus_message_read(message, "v", "b", &locked) >= 0)
            hear({Heard::LockedHint, bool(locked)});
        else if (sd_bus_message_skip(message, "v") < 0)
            return 0;
        if (sd_bus_message_exit_container(message) < 0)
            return 0;
    }
    if (sd_bus_message_exit_container(message) < 0 || sd_bus_message_enter_container(message, 'a', "s") < 0)
        return 0;
    const char* invalidated = nullptr;
    while (sd_bus_message_read(message, "s", &invalidated) > 0)
        if (std::strcmp(invalidated, "LockedHint") == 0)
            readLockedHint();
    return 0;
}

// This session's object: the one XDG_SESSION_ID names, else logind's "auto"
// (the caller's session, or the account's graphical one for a user service).
std::string logindSessionPath()
{
    const char* id = std::getenv("XDG_SESSION_ID");
    sd_bus_message* reply = busCall(systemBus(), logind, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
        "GetSession", "s", id && *id ? id : "auto");
    const char* path = nullptr;
    std::string found;
    if (reply && sd_bus_message_read(reply, "o", &path) >= 0)
        found = path;
    sd_bus_message_unref(reply);
    return found;
}

// logind restarted (its PrepareForSleep(false) and Unlock may never come):
// the new one is asked for the session and its hint.
void logindOwnerChanged(void*, bool owned)
{
    sessionPath = owned ? logindSessionPath() : "";
    hear({Heard::OwnerChanged, owned, Service::Logind});
    if (!sessionPath.empty())
        readLockedHint();
}

void watchLogind()
{
    sd_bus* bus = systemBus();
    if (!bus)
        return;
    // Subscribed before the hint is read, so that no change falls between.
    matchOwnedSignal(bus, logind, nullptr, sessionInterface, "Lock", onLock);
    matchOwnedSignal(bus, logind, nullptr, sessionInterface, "Unlock", onUnlock);
    matchOwnedSignal(bus, logind, nullptr, "org.freedesktop.DBus.Properties", "PropertiesChanged", onSessionProperties);
    followOwner(bus, logind, logindOwnerChanged);
    if (!nameOwned(bus, logind))
        return;
    sessionPath = logindSessionPath();
    if (!sessionPath.empty())
        readLockedHint();
}
}

void watchSessionLock()
{
    if (sd_bus* bus = sessionBus()) {
        for (const Shield& shield : shields) {
            void* data = const_cast<Shield*>(&shield);
            matchOwnedSignal(bus, shield.name, nullptr, shield.interface, "ActiveChanged", onShieldChanged, data);
            followOwner(bus, shield.name, shieldOwnerChanged, data);
            if (nameOwned(bus, shield.name))
                hear({Heard::Shield, shieldActive(shield), shield.service});
        }
    }
    watchLogind();
}
