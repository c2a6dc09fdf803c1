#include "idle/session_lock.h"

#include "idle/buses.h"
#include "idle/owned_signals.h"
#include "idle/saver_process.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const char* const logind = "org.freedesktop.login1";
const char* const sessionInterface = "org.freedesktop.login1.Session";

bool lockedHint = false;
// logind's Lock, until something says the session is unlocked.
bool lockAsked = false;

struct Shield {
    const char* name;
    const char* interface;
    // Where GetActive is asked, the first that answers; signals come on any.
    const char* paths[2];
    bool active;
};
// GNOME's screen shield, and KDE Plasma's screen locker, which locks on its
// own timer without logind's Lock and tells on more than one path.
Shield shields[] = {
    {"org.gnome.ScreenSaver", "org.gnome.ScreenSaver", {"/org/gnome/ScreenSaver", nullptr}, false},
    {"org.freedesktop.ScreenSaver", "org.freedesktop.ScreenSaver", {"/org/freedesktop/ScreenSaver", "/ScreenSaver"},
        false},
};

bool saidLocked()
{
    bool locked = lockedHint;
    for (const Shield& shield : shields)
        locked = locked || shield.active;
    return locked;
}

// Waited for, and killed when it will not go: a saver given with --saver
// that keeps the ending signals blocked must not type on under the lock.
void endSaverIfLocked()
{
    if (sessionLocked())
        endSaverAndWait();
}

// The session said it is unlocked: a Lock before it is over too.
void unlocked()
{
    lockAsked = false;
}

void shieldChanged(Shield& shield, bool active)
{
    if (shield.active && !active)
        unlocked();
    shield.active = active;
    endSaverIfLocked();
}

int onShieldChanged(sd_bus_message* message, void* data, sd_bus_error*)
{
    int active = 0;
    if (sd_bus_message_read(message, "b", &active) >= 0)
        shieldChanged(*static_cast<Shield*>(data), active);
    return 0;
}

// A shield's owner: a new one is asked afresh, none is no shield.
void readShield(void* data, bool owned)
{
    Shield& shield = *static_cast<Shield*>(data);
    int active = 0;
    for (const char* path : shield.paths) {
        if (!owned || !path)
            break;
        sd_bus_message* reply = busCall(sessionBus(), shield.name, path, shield.interface, "GetActive");
        const bool read = reply && sd_bus_message_read(reply, "b", &active) >= 0;
        sd_bus_message_unref(reply);
        if (read)
            break;
    }
    shieldChanged(shield, active);
}

int onLock(sd_bus_message*, void*, sd_bus_error*)
{
    lockAsked = true;
    endSaverIfLocked();
    return 0;
}

int onUnlock(sd_bus_message*, void*, sd_bus_error*)
{
    unlocked();
    return 0;
}

void lockedHintIs(bool locked)
{
    if (lockedHint && !locked)
        unlocked();
    lockedHint = locked;
    endSaverIfLocked();
}

void readLockedHint(const std::string& path)
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int locked = 0;
    if (sd_bus_get_property_trivial(systemBus(), logind, path.c_str(), sessionInterface, "LockedHint", &error, 'b',
            &locked)
        >= 0)
        lockedHintIs(locked);
    sd_bus_error_free(&error);
}

// PropertiesChanged(s interface, a{sv} changed, as invalidated): LockedHint
// among the changed, or invalidated and read again.
int onSessionProperties(sd_bus_message* message, void* data, sd_bus_error*)
{
    const char* interface = nullptr;
    if (sd_bus_message_read(message, "s", &interface) < 0 || std::strcmp(interface, sessionInterface) != 0
        || sd_bus_message_enter_container(message, 'a', "{sv}") < 0)
        return 0;
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        int locked = 0;
        if (sd_bus_message_read(message, "s", &name) < 0)
            return 0;
        if (std::strcmp(name, "LockedHint") == 0 && sd_bus_message_read(message, "v", "b", &locked) >= 0)
            lockedHintIs(locked);
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
            readLockedHint(*static_cast<const std::string*>(data));
    return 0;
}

// This session's object: the one XDG_SESSION_ID names, else logind's "auto"
// (the caller's session, or the account's graphical one for a user service).
std::string logindSessionPath(sd_bus* bus)
{
    const char* id = std::getenv("XDG_SESSION_ID");
    sd_bus_message* reply = busCall(bus, logind, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
        "GetSession", "s", id && *id ? id : "auto");
    const char* path = nullptr;
    std::string found;
    if (reply && sd_bus_message_read(reply, "o", &path) >= 0)
        found = path;
    sd_bus_message_unref(reply);
    return found;
}

void watchLogind()
{
    sd_bus* bus = systemBus();
    if (!nameOwned(bus, logind))
        return;
    static std::string path;
    path = logindSessionPath(bus);
    if (path.empty())
        return;
    // Subscribed before the hint is read, so that no change falls between.
    matchOwnedSignal(bus, logind, path.c_str(), sessionInterface, "Lock", onLock);
    matchOwnedSignal(bus, logind, path.c_str(), sessionInterface, "Unlock", onUnlock);
    matchOwnedSignal(
        bus, logind, path.c_str(), "org.freedesktop.DBus.Properties", "PropertiesChanged", onSessionProperties, &path);
    readLockedHint(path);
}
}

void watchSessionLock()
{
    if (sd_bus* bus = sessionBus()) {
        for (Shield& shield : shields) {
            matchOwnedSignal(bus, shield.name, nullptr, shield.interface, "ActiveChanged", onShieldChanged, &shield);
            followOwner(bus, shield.name, readShield, &shield);
            // Asked only of a running service: asking would start one the bus can.
            if (nameOwned(bus, shield.name))
                readShield(&shield, true);
        }
    }
    watchLogind();
}

bool sessionLocked()
{
    return saidLocked() || lockAsked;
}

void inputCame()
{
    if (!saidLocked())
        unlocked();
}
