// GNOME, on Wayland or X11: Mutter's idle monitor on the session bus. An
// idle watch fires each time the idle time reaches its interval (at once
// when it already has), a user-active watch once, on the next input.
#include "idle/desk/idle_source.h"
#include "idle/session/buses.h"
#include "idle/session/owned_signals.h"

#include <cstdint>

namespace {
const char* const service = "org.gnome.Mutter.IdleMonitor";
const char* const path = "/org/gnome/Mutter/IdleMonitor/Core";
const char* const interface = "org.gnome.Mutter.IdleMonitor";

std::uint64_t after = 0;
std::uint32_t idleWatch = 0;
std::uint32_t longerWatch = 0;
std::uint32_t activeWatch = 0;

// A method of the monitor's with one argument or none; its reply, of one
// value, read into out when given.
template <typename Value = std::uint32_t, typename Argument = std::uint64_t>
bool call(const char* method, const char* replyType = nullptr, Value* out = nullptr, const char* types = nullptr,
    Argument argument = 0)
{
    sd_bus_message* reply = busCall(sessionBus(), service, path, interface, method, types, argument);
    const bool read = reply && (!out || sd_bus_message_read(reply, replyType, out) >= 0);
    sd_bus_message_unref(reply);
    return read;
}

bool idleTime(std::uint64_t& ms)
{
    return call("GetIdletime", "t", &ms);
}

void forget(std::uint32_t& watch)
{
    if (watch)
        call<std::uint32_t, std::uint32_t>("RemoveWatch", nullptr, nullptr, "u", watch);
    watch = 0;
}

// Fires once, on the next input.
void watchInput()
{
    if (!activeWatch)
        call("AddUserActiveWatch", "u", &activeWatch);
}

int onWatchFired(sd_bus_message* message, void*, sd_bus_error*)
{
    std::uint32_t id = 0;
    if (sd_bus_message_read(message, "u", &id) < 0 || id == 0)
        return 0;
    if (id == idleWatch || id == longerWatch) {
        if (id == longerWatch)
            forget(longerWatch);
        reportIdle();
        // Told of the next input, which ends a longer watch's reason.
        watchInput();
    } else if (id == activeWatch) {
        activeWatch = 0; // fires once
        forget(longerWatch);
        reportActive();
    }
    return 0;
}

// The shell restarted (on X11, Alt+F2 r): its watches went with it.
void ownerChanged(void*, bool owned)
{
    idleWatch = longerWatch = activeWatch = 0;
    if (owned)
        call("AddIdleWatch", "u", &idleWatch, "t", after);
}

bool open(int afterMs)
{
    std::uint64_t ignored = 0;
    if (!sessionBus() || !idleTime(ignored))
        return false;
    after = std::uint64_t(afterMs);
    return matchOwnedSignal(sessionBus(), service, path, interface, "WatchFired", onWatchFired)
        && followOwner(sessionBus(), service, ownerChanged) && call("AddIdleWatch", "u", &idleWatch, "t", after);
}

int descriptor()
{
    return -1;
}

void flush()
{
}

bool dispatch()
{
    return true;
}

void watchLonger()
{
    std::uint64_t now = 0;
    forget(longerWatch);
    if (idleTime(now))
        call("AddIdleWatch", "u", &longerWatch, "t", now + after);
}

bool inhibited()
{
    return false;
}

void watchFor(int afterMs)
{
    after = std::uint64_t(afterMs);
    forget(idleWatch);
    call("AddIdleWatch", "u", &idleWatch, "t", after);
}
}

const IdleSource mutterIdleSource = {
    "GNOME's org.gnome.Mutter.IdleMonitor on the session bus", "the session bus",
    open, descriptor, flush, dispatch, watchLonger, inhibited, watchFor, watchInput,
};
