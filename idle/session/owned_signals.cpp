#include "idle/session/owned_signals.h"

#include "idle/session/buses.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
struct Listener {
    void (*changed)(void*, bool);
    void* userdata;
};

struct Owner {
    sd_bus* bus;
    std::string name;
    std::string unique; // empty while nobody owns it
    std::vector<Listener> listeners;
};

struct Match {
    const Owner* owner;
    sd_bus_message_handler_t handler;
    void* userdata;
};

// Kept for the life of the process, as the bus's matches are.
std::vector<std::unique_ptr<Owner>> owners;
std::vector<std::unique_ptr<Match>> matches;

const char* const driver = "org.freedesktop.DBus";

bool sentBy(sd_bus_message* message, const std::string& unique)
{
    const char* sender = sd_bus_message_get_sender(message);
    return sender && !unique.empty() && unique == sender;
}

int onOwnerChanged(sd_bus_message* message, void* data, sd_bus_error*)
{
    Owner& owner = *static_cast<Owner*>(data);
    // Only the bus itself tells who owns a name.
    const char *name = nullptr, *previous = nullptr, *now = nullptr;
    if (!sentBy(message, driver) || sd_bus_message_read(message, "sss", &name, &previous, &now) < 0
        || owner.name != name || owner.unique == now)
        return 0;
    owner.unique = now;
    for (const Listener& listener : owner.listeners)
        listener.changed(listener.userdata, !owner.unique.empty());
    return 0;
}

Owner* ownerOf(sd_bus* bus, const char* name)
{
    for (const auto& owner : owners)
        if (owner->bus == bus && owner->name == name)
            return owner.get();
    auto owner = std::make_unique<Owner>(Owner {bus, name, {}, {}});
    // Followed before it is asked, so that no change falls between.
    const std::string rule = std::string("type='signal',sender='") + driver + "',path='/org/freedesktop/DBus',interface='"
        + driver + "',member='NameOwnerChanged',arg0='" + name + "'";
    if (sd_bus_add_match(bus, nullptr, rule.c_str(), onOwnerChanged, owner.get()) < 0)
        return nullptr;
    sd_bus_message* reply = busCall(bus, driver, "/org/freedesktop/DBus", driver, "GetNameOwner", "s", name);
    const char* unique = nullptr;
    if (reply && sd_bus_message_read(reply, "s", &unique) >= 0)
        owner->unique = unique;
    sd_bus_message_unref(reply);
    owners.push_back(std::move(owner));
    return owners.back().get();
}

int onOwnedSignal(sd_bus_message* message, void* data, sd_bus_error* error)
{
    const Match& match = *static_cast<const Match*>(data);
    return sentBy(message, match.owner->unique) ? match.handler(message, match.userdata, error) : 0;
}
}

bool matchOwnedSignal(sd_bus* bus, const char* name, const char* path, const char* interface, const char* member,
    sd_bus_message_handler_t handler, void* userdata)
{
    const Owner* owner = bus ? ownerOf(bus, name) : nullptr;
    if (!owner)
        return false;
    matches.push_back(std::make_unique<Match>(Match {owner, handler, userdata}));
    // The sender named still spares us the service's broadcasts to others.
    return sd_bus_match_signal(bus, nullptr, name, path, interface, member, onOwnedSignal, matches.back().get()) >= 0;
}

bool followOwner(sd_bus* bus, const char* name, void (*changed)(void*, bool), void* userdata)
{
    Owner* owner = bus ? ownerOf(bus, name) : nullptr;
    if (!owner)
        return false;
    owner->listeners.push_back({changed, userdata});
    return true;
}
