#include "idle/session/buses.h"

#include "idle/session/lost_session.h"

#include <cerrno>
#include <cstdint>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {
sd_bus* sessionConnection = nullptr;
sd_bus* systemConnection = nullptr;
// Services whose last call went unanswered, each said once until it answers.
std::set<std::string> silent;

// Every call on the connection, sd-bus's own property calls too, waits as
// long at most.
void limitCalls(sd_bus*& bus, int r)
{
    if (r < 0)
        bus = nullptr;
    else
        sd_bus_set_method_call_timeout(bus, std::uint64_t(busAnswerSeconds) * 1000000);
}

void answered(const char* destination, int r)
{
    if (r != -ETIMEDOUT)
        silent.erase(destination);
    else if (silent.insert(destination).second)
        std::fprintf(stderr, "tapwrite-idle: %s did not answer in %d s; going on without it\n", destination,
            busAnswerSeconds);
}

// sd-bus tells a lost connection as a signal of its own, from a sender no
// peer can take.
int onMessage(sd_bus_message* message, void* name, sd_bus_error*)
{
    const char* const local = "org.freedesktop.DBus.Local";
    const char* sender = sd_bus_message_get_sender(message);
    if (sender && std::strcmp(sender, local) == 0 && sd_bus_message_is_signal(message, local, "Disconnected") > 0)
        endForLostSession(static_cast<const char*>(name));
    return 0;
}

void attach(sd_bus* bus, sd_event* loop, const char* name)
{
    if (!bus)
        return;
    if (sd_bus_attach_event(bus, loop, SD_EVENT_PRIORITY_NORMAL) < 0
        || sd_bus_add_filter(bus, nullptr, onMessage, const_cast<char*>(name)) < 0)
        endForLostSession(name);
}
}

void openBuses()
{
    limitCalls(sessionConnection, sd_bus_open_user(&sessionConnection));
    limitCalls(systemConnection, sd_bus_open_system(&systemConnection));
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
    if (r >= 0) {
        r = sd_bus_call(bus, call, 0, &error, &reply);
        answered(destination, r);
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(call);
    return r >= 0 ? reply : nullptr;
}

sd_bus_message* busProperty(sd_bus* bus, const char* destination, const char* path, const char* interface,
    const char* name, const char* type, void* value)
{
    sd_bus_message* reply
        = busCall(bus, destination, path, "org.freedesktop.DBus.Properties", "Get", "ss", interface, name);
    if (reply && sd_bus_message_read(reply, "v", type, value) < 0)
        reply = sd_bus_message_unref(reply);
    return reply;
}

bool busSilent(const char* destination)
{
    return silent.count(destination) > 0;
}

bool nameOwned(sd_bus* bus, const char* name)
{
    return bus && sd_bus_get_name_creds(bus, name, 0, nullptr) >= 0;
}

void attachBuses(sd_event* loop)
{
    attach(sessionConnection, loop, "the session bus");
    attach(systemConnection, loop, "the system bus");
}
