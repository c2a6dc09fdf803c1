#!/usr/bin/python3
"""Stand-ins for logind, gnome-session and KDE Plasma's power manager and
screen locker on a private bus, for the idle companion's tests. The test
steers them through org.tapwrite.StandIn on /org/freedesktop/login1: Lock()
and Unlock() have this session's object send Lock and Unlock,
SetLockedHint(b) sets its LockedHint (printing "LockedHint read" each time
that is asked), LockScreen() has the screen locker send ActiveChanged(true),
Sleep(b) has logind send PrepareForSleep(b), Inhibit(b) holds or drops an
idle inhibitor in logind and gnome-session, InhibitSession(b) one in
gnome-session alone, InhibitPower(b) one in the power manager, NamesOf(u)
gives a process's unique names on the bus, and Cinnamon's screen saver
leaves the bus with CinnamonLeaves() and comes back to lock with
CinnamonLocks(), as it does after 30 s unneeded.

With hang, the session's services (gnome-session, the power manager, the
screen locker) take every call and never answer; logind and Cinnamon's
screen saver still do.

With idle-monitor, it is GNOME's idle monitor instead, counting idle time
from its own start (no input comes to it), and printing "watch added" each
time a watch is.

Usage: session_stand_in.py [idle-monitor | hang]  (the bus in DBUS_SESSION_BUS_ADDRESS)
"""
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

SESSION_PATH = "/org/freedesktop/login1/session/_31"
hang = sys.argv[1:] == ["hang"]
held = False
session_held = False
power_held = False
locked_hint = False


def answer(reply, value):
    """A session service's answer, or none at all with hang."""
    if not hang:
        reply(value)


class Session(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.login1.Session")
    def Lock(self):
        pass

    @dbus.service.signal("org.freedesktop.login1.Session")
    def Unlock(self):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        print("LockedHint read", flush=True)
        return dbus.Boolean(locked_hint)

    @dbus.service.signal(dbus.PROPERTIES_IFACE, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass


class ScreenLocker(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.ScreenSaver", signature="b")
    def ActiveChanged(self, active):
        pass

    @dbus.service.method("org.freedesktop.ScreenSaver", out_signature="b", async_callbacks=("reply", "error"))
    def GetActive(self, reply, error):
        answer(reply, False)


class CinnamonScreenSaver(dbus.service.Object):
    active = False

    @dbus.service.signal("org.cinnamon.ScreenSaver", signature="b")
    def ActiveChanged(self, active):
        pass

    @dbus.service.method("org.cinnamon.ScreenSaver", out_signature="b")
    def GetActive(self):
        return self.active


class Manager(dbus.service.Object):
    def __init__(self, bus, session, locker):
        super().__init__(bus, "/org/freedesktop/login1")
        self.session = session
        self.locker = locker
        self.cinnamon = CinnamonScreenSaver(bus, "/org/cinnamon/ScreenSaver")
        self.cinnamon_name = dbus.service.BusName("org.cinnamon.ScreenSaver", bus)

    @dbus.service.method("org.tapwrite.StandIn")
    def CinnamonLeaves(self):
        self.cinnamon_name = None
        bus.release_name("org.cinnamon.ScreenSaver")

    @dbus.service.method("org.tapwrite.StandIn")
    def CinnamonLocks(self):
        self.cinnamon_name = dbus.service.BusName("org.cinnamon.ScreenSaver", bus)
        self.cinnamon.active = True
        self.cinnamon.ActiveChanged(True)

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

    @dbus.service.method("org.tapwrite.StandIn")
    def Unlock(self):
        self.session.Unlock()

    @dbus.service.method("org.tapwrite.StandIn", in_signature="b")
    def SetLockedHint(self, locked):
        global locked_hint
        locked_hint = bool(locked)
        self.session.PropertiesChanged("org.freedesktop.login1.Session",
                                       {"LockedHint": dbus.Boolean(locked_hint)}, dbus.Array([], signature="s"))

    @dbus.service.method("org.tapwrite.StandIn", in_signature="u", out_signature="as")
    def NamesOf(self, pid):
        driver = dbus.Interface(bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"), "org.freedesktop.DBus")
        found = []
        for name in driver.ListNames():
            try:
                if name.startswith(":") and driver.GetConnectionUnixProcessID(name) == pid:
                    found.append(name)
            except dbus.exceptions.DBusException:
                pass  # gone meanwhile
        return found

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
    def InhibitSession(self, hold):
        global session_held
        session_held = bool(hold)

    @dbus.service.method("org.tapwrite.StandIn", in_signature="b")
    def InhibitPower(self, hold):
        global power_held
        power_held = bool(hold)


class SessionManager(dbus.service.Object):
    @dbus.service.method("org.gnome.SessionManager", in_signature="u", out_signature="b",
                         async_callbacks=("reply", "error"))
    def IsInhibited(self, flags, reply, error):
        answer(reply, (held or session_held) and bool(flags & 8))


class PowerManagement(dbus.service.Object):
    @dbus.service.method("org.freedesktop.PowerManagement.Inhibit", out_signature="b",
                         async_callbacks=("reply", "error"))
    def HasInhibit(self, reply, error):
        answer(reply, power_held)


class IdleMonitor(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/gnome/Mutter/IdleMonitor/Core")
        self.start = time.monotonic()
        self.watches = {}
        self.next_id = 1

    def idle_ms(self):
        return int((time.monotonic() - self.start) * 1000)

    @dbus.service.method("org.gnome.Mutter.IdleMonitor", out_signature="t")
    def GetIdletime(self):
        return self.idle_ms()

    def add(self, source):
        self.watches[self.next_id] = source
        self.next_id += 1
        print("watch added", flush=True)
        return self.next_id - 1

    @dbus.service.method("org.gnome.Mutter.IdleMonitor", in_signature="t", out_signature="u")
    def AddIdleWatch(self, interval):
        watch = self.next_id
        return self.add(GLib.timeout_add(max(0, interval - self.idle_ms()), lambda: self.WatchFired(watch) and False))

    @dbus.service.method("org.gnome.Mutter.IdleMonitor", out_signature="u")
    def AddUserActiveWatch(self):
        return self.add(0)

    @dbus.service.method("org.gnome.Mutter.IdleMonitor", in_signature="u")
    def RemoveWatch(self, watch):
        source = self.watches.pop(watch, 0)
        if source:
            GLib.source_remove(source)

    @dbus.service.signal("org.gnome.Mutter.IdleMonitor", signature="u")
    def WatchFired(self, watch):
        self.watches.pop(watch, None)


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
if sys.argv[1:] == ["idle-monitor"]:
    monitor_name = dbus.service.BusName("org.gnome.Mutter.IdleMonitor", bus)
    IdleMonitor(bus)
    GLib.MainLoop().run()
    sys.exit(0)
names = [dbus.service.BusName(n, bus) for n in ("org.freedesktop.login1", "org.gnome.SessionManager",
                                                 "org.freedesktop.PowerManagement.Inhibit", "org.freedesktop.ScreenSaver")]
Manager(bus, Session(bus, SESSION_PATH), ScreenLocker(bus, "/ScreenSaver"))
SessionManager(bus, "/org/gnome/SessionManager")
PowerManagement(bus, "/org/freedesktop/PowerManagement/Inhibit")
GLib.MainLoop().run()
