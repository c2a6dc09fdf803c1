#!/usr/bin/python3
"""Stand-ins for logind, gnome-session and KDE Plasma's power manager and
screen locker on a private bus, for the idle companion's tests. The test
steers them through org.tapwrite.StandIn on /org/freedesktop/login1: Lock()
has this session's object send Lock, LockScreen() has the screen locker send
ActiveChanged(true), Sleep(b) has logind send PrepareForSleep(b), Inhibit(b)
holds or drops an idle inhibitor in logind and gnome-session, and
InhibitPower(b) one in the power manager.

Usage: session_stand_in.py  (the bus in DBUS_SESSION_BUS_ADDRESS)
"""
import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

SESSION_PATH = "/org/freedesktop/login1/session/_31"
held = False
power_held = False


class Session(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.login1.Session")
    def Lock(self):
        pass


class ScreenLocker(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.ScreenSaver", signature="b")
    def ActiveChanged(self, active):
        pass


class Manager(dbus.service.Object):
    def __init__(self, bus, session, locker):
        super().__init__(bus, "/org/freedesktop/login1")
        self.session = session
        self.locker = locker

    @dbus.service.method("org.freedesktop.login1.Manager", in_signature="s", out_signature="o")
    def GetSession(self, name):
        return dbus.ObjectPath(SESSION_PATH)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if name != "BlockInhibited":
            raise dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.UnknownProperty")
        return dbus.String("handle-power-key:idle" if held else "handle-power-key")

    @dbus.service.method("org.tapwrite.StandIn")
    def Lock(self):
        self.session.Lock()

    @dbus.service.signal("org.freedesktop.login1.Manager", signature="b")
    def PrepareForSleep(self, before):
        pass

    @dbus.service.method("org.tapwrite.StandIn", in_signature="b")
    def Sleep(self, before):
        self.PrepareForSleep(before)

    @dbus.service.method("org.tapwrite.StandIn")
    def LockScreen(self):
        self.locker.ActiveChanged(True)

    @dbus.service.method("org.tapwrite.StandIn", in_signature="b")
    def Inhibit(self, hold):
        global held
        held = bool(hold)

    @dbus.service.method("org.tapwrite.StandIn", in_signature="b")
    def InhibitPower(self, hold):
        global power_held
        power_held = bool(hold)


class SessionManager(dbus.service.Object):
    @dbus.service.method("org.gnome.SessionManager", in_signature="u", out_signature="b")
    def IsInhibited(self, flags):
        return held and bool(flags & 8)


class PowerManagement(dbus.service.Object):
    @dbus.service.method("org.freedesktop.PowerManagement.Inhibit", out_signature="b")
    def HasInhibit(self):
        return power_held


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
names = [dbus.service.BusName(n, bus) for n in ("org.freedesktop.login1", "org.gnome.SessionManager",
                                                 "org.freedesktop.PowerManagement.Inhibit", "org.freedesktop.ScreenSaver")]
Manager(bus, Session(bus, SESSION_PATH), ScreenLocker(bus, "/ScreenSaver"))
SessionManager(bus, "/org/gnome/SessionManager")
PowerManagement(bus, "/org/freedesktop/PowerManagement/Inhibit")
GLib.MainLoop().run()
