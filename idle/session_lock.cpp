#include "idle/session_lock.h"

#include "idle/buses.h"
#include "idle/saver_process.h"

#include <cstdlib>
#include <string>

namespace {
bool locked = false;

void lockChanged(bool nowLocked)
{
    locked = nowLocked;
    // Waited for, and killed when it will not go: a saver given with --saver
    // that keeps the ending signals blocked must not type on under the lock.
    if (locked)
        endSaverAndWait();
}

int onShieldChanged(sd_bus_message* message, void*, sd_bus_error*)
{
    int active = 0;
    if (sd_bus_message_read(message, "b", &active) >= 0)
        lockChanged(active);
    return 0;
}

int onLock(sd_bus_message*, void*, sd_bus_error*)
{
    lockChanged(true);
    return 0;
}

int onUnlock(sd_bus_message*, void*, sd_bus_error*)
{
    lockChanged(false);
    return 0;
}

// This session's object: the one XDG_SESSION_ID names, else logind's "auto"
// (the caller's session, or the account's graphical one for a user service).
std::string logindSessionPath(sd_bus* bus)
{
    const char* id = std::getenv("XDG_SESSION_ID");
    sd_bus_message* reply = busCall(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
        "org.freedesktop.login1.Manager", "GetSession", "s", id && *id ? id : "auto");
    const char* path = nullptr;
    std::string found;
    if (reply && sd_bus_message_read(reply, "o", &path) >= 0)
        found = path;
    sd_bus_message_unref(reply);
    return found;
}
}

void watchSessionLock()
{
    if (sd_bus* bus = sessionBus()) {
        sd_bus_match_signal(bus, nullptr, "org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver",
            "ActiveChanged", onShieldChanged, nullptr);
        // KDE Plasma's screen locker, which locks on its own timer without
        // logind's Lock; it tells on more than one path.
        sd_bus_match_signal(bus, nullptr, "org.freedesktop.ScreenSaver", nullptr, "org.freedesktop.ScreenSaver",
            "ActiveChanged", onShieldChanged, nullptr);
    }
    sd_bus* bus = systemBus();
    if (!nameOwned(bus, "org.freedesktop.login1"))
        return;
    const std::string path = logindSessionPath(bus);
    if (path.empty())
        return;
    const char* interface = "org.freedesktop.login1.Session";
    sd_bus_match_signal(bus, nullptr, "org.freedesktop.login1", path.c_str(), interface, "Lock", onLock, nullptr);
    sd_bus_match_signal(bus, nullptr, "org.freedesktop.login1", path.c_str(), interface, "Unlock", onUnlock, nullptr);
}

bool sessionLocked()
{
    return locked;
}
