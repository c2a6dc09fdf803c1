#pragma once
// The Wayland idle sources' connection: the compositor, its first seat and
// the one idle global a source asks for. Only one source is open at a time.
struct wl_display;
struct wl_interface;
struct wl_proxy;
struct wl_seat;

// Connects and binds the seat and the first global of that interface; null
// (with nothing left open) when the compositor offers either not.
wl_proxy* connectSeatWith(const wl_interface* interface);
wl_seat* waylandSeat();

// The IdleSource calls, the same for every Wayland source.
int waylandDescriptor();
void waylandFlush();
bool waylandDispatch();
