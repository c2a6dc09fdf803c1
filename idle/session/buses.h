#pragma once
// The session's D-Bus connections, through sd-bus: the session bus (GNOME's
// shell, idle monitor, screen shield and session manager) and the system bus
// (logind). Either may be missing; one that was there and goes is fatal.
#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>

// How long a call to a service may take: past it the companion says so in
// a line and goes on as though the service were absent.
constexpr int busAnswerSeconds = 2;

// Connects both that the environment names; each null when it has none.
void openBuses();
sd_bus* sessionBus();
sd_bus* systemBus();

// A method call and its reply (for the caller to read and unref), or null
// when it failed or went unanswered; types and the arguments after it as
// sd-bus appends them.
sd_bus_message* busCall(sd_bus* bus, const char* destination, const char* path, const char* interface,
    const char* member, const char* types = nullptr, ...);
// A property's value through busCall, read as sd-bus reads a variant of
// type ('b' into an int, 's' into a const char* that lives with the reply);
// the reply to unref, or null.
sd_bus_message* busProperty(sd_bus* bus, const char* destination, const char* path, const char* interface,
    const char* name, const char* type, void* value);
// Whether the last call to destination went unanswered.
bool busSilent(const char* destination);

// Whether a name has an owner on the bus.
bool nameOwned(sd_bus* bus, const char* name);

// Both handled on loop from now on; either going away ends the companion.
void attachBuses(sd_event* loop);
