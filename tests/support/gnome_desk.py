#!/usr/bin/python3
"""A person at the GNOME desk, for the tests: keys and pointer moves through
one Mutter remote-desktop session, kept open for the life of the desk
(stopping one takes the focus), and pictures of the desk through the shell's
screenshot service, which answers only callers owning org.gnome.Screenshot.
Served on the session bus as org.tapwrite.Desk at /org/tapwrite/Desk:
  Key(u)          an evdev key code pressed and released
  Move(d, d)      the pointer moved by so many pixels
  Shot(s) -> b    the whole desk, the pointer drawn in, as a PNG file
Prints "ready" once the session has the keyboard's focus.

Usage: gnome_desk.py  (the bus in DBUS_SESSION_BUS_ADDRESS)
"""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

KEY_LEFTSHIFT = 42


class Desk(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/tapwrite/Desk")
        remote = dbus.Interface(bus.get_object("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop"),
                                "org.gnome.Mutter.RemoteDesktop")
        self.session = dbus.Interface(bus.get_object("org.gnome.Mutter.RemoteDesktop", remote.CreateSession()),
                                      "org.gnome.Mutter.RemoteDesktop.Session")
        self.session.Start()
        self.shell = dbus.Interface(bus.get_object("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot"),
                                    "org.gnome.Shell.Screenshot")
        # The first key of a session only gives it the focus.
        self.Key(KEY_LEFTSHIFT)
        # The pointer starts at the top-left hot corner, which opens the
        # overview; it goes to the first monitor's middle.
        self.Move(960, 540)

    @dbus.service.method("org.tapwrite.Desk", in_signature="u")
    def Key(self, code):
        for down in (True, False):
            self.session.NotifyKeyboardKeycode(dbus.UInt32(code), down)

    @dbus.service.method("org.tapwrite.Desk", in_signature="dd")
    def Move(self, dx, dy):
        self.session.NotifyPointerMotionRelative(dbus.Double(dx), dbus.Double(dy))

    @dbus.service.method("org.tapwrite.Desk", in_signature="s", out_signature="b")
    def Shot(self, file):
        done, _ = self.shell.Screenshot(True, False, file)
        return bool(done)


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
names = [dbus.service.BusName(n, bus) for n in ("org.gnome.Screenshot", "org.tapwrite.Desk")]
desk = Desk(bus)
print("ready", flush=True)
GLib.MainLoop().run()
