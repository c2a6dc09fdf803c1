#pragma once
// What the Wayland idle sources share: the connection to the compositor, its
// first seat, the protocol's global, and the object that reports idle after
// its time without input and the next input after it, with a second one made
// anew to count from now when the saver may not start. Only one source is
// open at a time.
#include <cstdint>

struct wl_interface;
struct wl_proxy;
struct wl_seat;

// What differs between the protocols: the global, and making and dropping
// the reporting object, whose listener calls waylandIdled and waylandResumed.
struct WaylandIdleProtocol {
    const wl_interface* global;
    wl_proxy* (*watch)(wl_proxy* global, wl_seat* seat, std::uint32_t afterMs);
    void (*drop)(wl_proxy* watcher);
};

// Connects, binds the seat and the protocol's global and starts watching;
// false (with nothing left open) when the compositor offers either not.
bool openWaylandIdle(const WaylandIdleProtocol& protocol, int afterMs);

// The IdleSource calls, the same for every Wayland source.
int waylandDescriptor();
void waylandFlush();
bool waylandDispatch();
void waylandWatchLonger();
void waylandWatchFor(int afterMs);
// The compositor holds the report back while a client holds an inhibitor.
bool waylandInhibited();
void waylandWatchInput();
// A reporting object's events, told to the source's reports.
void waylandIdled(wl_proxy* watcher);
void waylandResumed(wl_proxy* watcher);
