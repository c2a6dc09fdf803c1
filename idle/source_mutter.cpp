// GNOME, on Wayland or X11: Mutter's idle monitor on the session bus. An
// idle watch fires each time the idle time reaches its interval (at once
// when it already has), a user-active watch once, on the next input.
#include "idle/buses.h"
#include "idle/idle_source.h"

#include <cstdint>

namespace {
const char* const service = "org.gnome.Mutter.IdleMonitor";
const char* const path = "/org/gnome/Mutter/IdleMonitor/Core";
const char* const interface = "org.gnome.Mutter.IdleMonitor";

std::uint64_t after = 0;
std::uint32_t idleWatch = 0;
std::uint32_t longerWatch = 0;
std::uint32_t activeWatch = 0;

bool call(const char* method, std::uint32_t* watch, const char* types = nullptr, std::uint64_t value = 0)
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int r = types ? sd_bus_call_method(sessionBus(), service, path, interface, method, &error, &reply, types, value)
                  : sd_bus_call_method(sessionBus(), service, path, interface, method, &error, &reply, nullptr);
    if (r >= 0 && watch)
        r = sd_bus_message_read(reply, "u", watch);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return r >= 0;
}

bool idleTime(std::uint64_t& ms)
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int r = sd_bus_call_method(sessionBus(), service, path, interface, "GetIdletime", &error, &reply, nullptr);
    if (r >= 0)
        r = sd_bus_message_read(reply, "t", &ms);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return r >= 0;
}

void forget(std::uint32_t& watch)
{
    if (watch)
        call("RemoveWatch", nullptr, "u", watch);
    watch = 0;
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
        if (!activeWatch)
            call("AddUserActiveWatch", &activeWatch);
    } else if (id == activeWatch) {
        activeWatch = 0; // fires once
        forget(longerWatch);
        reportActive();
    }
    return 0;
}

bool open(int afterMs)
{
    std::uint64_t ignored = 0;
    if (!sessionBus() || !idleTime(ignored))
        return false;
    after = std::uint64_t(afterMs);
    if (sd_bus_match_signal(sessionBus(), nullptr, service, path, interface, "WatchFired", onWatchFired, nullptr) < 0)
        return false;
    return call("AddIdleWatch", &idleWatch, "t", after);
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
        call("AddIdleWatch", &longerWatch, "t", now + after);
}

bool inhibited()
{
    return false;
}
}

const IdleSource mutterIdleSource = {
    "GNOME's org.gnome.Mutter.IdleMonitor on the session bus", "the session bus",
    open, descriptor, flush, dispatch, watchLonger, inhibited,
};
