#pragma once
// The session's D-Bus connections, through sd-bus: the session bus (GNOME's
// shell, idle monitor, screen shield and session manager) and the system bus
// (logind). Either may be missing; one that was there and goes is fatal.
#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>

// Connects both that the environment names; each null when it has none.
void openBuses();
sd_bus* sessionBus();
sd_bus* systemBus();

// A method call and its reply (for the caller to read and unref), or null
// when it failed; types and the arguments after it as sd-bus appends them.
sd_bus_message* busCall(sd_bus* bus, const char* destination, const char* path, const char* interface,
    const char* member, const char* types = nullptr, ...);

// Whether a name has an owner on the bus.
bool nameOwned(sd_bus* bus, const char* name);

// Both handled on loop from now on; either going away ends the companion.
void attachBuses(sd_event* loop);
