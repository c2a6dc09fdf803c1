#pragma once
// Signals believed only from the service that sends them. A match names a
// well-known sender, but any connection may send a signal straight to us and
// the bus delivers it unfiltered; so each is checked against the unique name
// that owns the well-known one now (asked at start, followed as it changes).
#include <systemd/sd-bus.h>

// As sd_bus_match_signal, but handler runs only for messages whose sender
// owns name; false when the match could not be added.
bool matchOwnedSignal(sd_bus* bus, const char* name, const char* path, const char* interface, const char* member,
    sd_bus_message_handler_t handler, void* userdata = nullptr);

// Calls changed(userdata, owned) each time name gets a new owner or loses
// its owner (a service restarted: what we asked of the old one is gone).
bool followOwner(sd_bus* bus, const char* name, void (*changed)(void* userdata, bool owned), void* userdata = nullptr);
