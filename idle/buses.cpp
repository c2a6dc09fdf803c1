#include "idle/buses.h"

#include "idle/lost_session.h"

#include <cstdarg>
#include <cstring>

namespace {
sd_bus* sessionConnection = nullptr;
sd_bus* systemConnection = nullptr;

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

void attachBuses(sd_event* loop)
{
    attach(sessionConnection, loop, "the session bus");
    attach(systemConnection, loop, "the system bus");
}
