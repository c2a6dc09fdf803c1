// Both buses are processed after every wait: sd-bus reads ahead, so a
// message may already sit in its queue when the descriptor is quiet.
#include "idle/buses.h"

#include <cstdarg>
#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <poll.h>

namespace {
sd_bus* sessionConnection = nullptr;
sd_bus* systemConnection = nullptr;

bool drain(sd_bus* bus)
{
    if (!bus)
        return true;
    int r;
    while ((r = sd_bus_process(bus, nullptr)) > 0) {
    }
    return r >= 0 && sd_bus_is_open(bus) > 0;
}

std::uint64_t nowMicroseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::uint64_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}
}

void openBuses()
{
    if (sd_bus_open_user(&sessionConnection) < 0)
        sessionConnection = nullptr;
    if (sd_bus_open_system(&systemConnection) < 0)
        systemConnection = nullptr;
}

sd_bus* sessionBus()
{
    return sessionConnection;
}

sd_bus* systemBus()
{
    return systemConnection;
}

sd_bus_message* busCall(sd_bus* bus, const char* destination, const char* path, const char* interface,
    const char* member, const char* types, ...)
{
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    if (!bus || sd_bus_message_new_method_call(bus, &call, destination, path, interface, member) < 0)
        return nullptr;
    int r = 0;
    if (types) {
        va_list arguments;
        va_start(arguments, types);
        r = sd_bus_message_appendv(call, types, arguments);
        va_end(arguments);
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    if (r >= 0)
        r = sd_bus_call(bus, call, 0, &error, &reply);
    sd_bus_error_free(&error);
    sd_bus_message_unref(call);
    return r >= 0 ? reply : nullptr;
}

bool nameOwned(sd_bus* bus, const char* name)
{
    return bus && sd_bus_get_name_creds(bus, name, 0, nullptr) >= 0;
}

bool dispatchBuses(const char*& which)
{
    if (!drain(sessionConnection)) {
        which = "the session bus";
        return false;
    }
    if (!drain(systemConnection)) {
        which = "the system bus";
        return false;
    }
    return true;
}

int busPollEntries(pollfd* fds, int& count)
{
    int wait = -1;
    for (sd_bus* bus : {sessionConnection, systemConnection}) {
        if (!bus)
            continue;
        fds[count++] = {sd_bus_get_fd(bus), short(sd_bus_get_events(bus)), 0};
        std::uint64_t until = 0;
        if (sd_bus_get_timeout(bus, &until) > 0 && until != UINT64_MAX) {
            const std::uint64_t now = nowMicroseconds();
            const int ms = until <= now ? 0 : int((until - now + 999) / 1000);
            wait = wait < 0 || ms < wait ? ms : wait;
        }
    }
    return wait;
}
