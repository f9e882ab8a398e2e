#!/usr/bin/env python3
"""A double of the systemd user manager's D-Bus interface for one timer, run under
dbus-run-session: systemd_double.py LOG [--refuse-enable] [--no-name]. Prints the bus address
once ready, appends each state-changing call to LOG, exits when standard input closes.
--refuse-enable denies EnableUnitFiles; --no-name never owns the name (no user manager)."""
import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.systemd1"
MANAGER = "org.freedesktop.systemd1.Manager"
TIMER = "brimlet-scan.timer"
TIMER_PATH = "/org/freedesktop/systemd1/unit/brimlet_2dscan_2etimer"
NEXT_RUN_USEC = 1_900_000_000_000_000  # 2030-03-17


class Manager(dbus.service.Object):
    def __init__(self, bus, log, refuse_enable):
        super().__init__(bus, "/org/freedesktop/systemd1")
        self.log = log
        self.refuse_enable = refuse_enable
        self.enabled = False
        self.running = False
        self.reloaded_since_change = True

    def record(self, line):
        with open(self.log, "a") as f:
            f.write(line + "\n")

    @dbus.service.method(MANAGER, in_signature="asbb", out_signature="ba(sss)")
    def EnableUnitFiles(self, units, runtime, force):
        self.record("EnableUnitFiles %s" % ",".join(units))
        if self.refuse_enable:
            raise dbus.exceptions.DBusException(
                "Access denied", name="org.freedesktop.DBus.Error.AccessDenied")
        self.enabled = True
        self.reloaded_since_change = False
        return (False, [("symlink", "/home/u/.config/systemd/user/timers.target.wants/" + TIMER,
                         "/usr/lib/systemd/user/" + TIMER)])

    @dbus.service.method(MANAGER, in_signature="asb", out_signature="a(sss)")
    def DisableUnitFiles(self, units, runtime):
        self.record("DisableUnitFiles %s" % ",".join(units))
        self.enabled = False
        self.reloaded_since_change = False
        return []

    @dbus.service.method(MANAGER, in_signature="", out_signature="")
    def Reload(self):
        self.record("Reload")
        self.reloaded_since_change = True

    @dbus.service.method(MANAGER, in_signature="ss", out_signature="o")
    def StartUnit(self, name, mode):
        self.record("StartUnit %s %s" % (name, mode))
        if not self.reloaded_since_change:
            raise dbus.exceptions.DBusException("start before reload",
                                                name="org.freedesktop.DBus.Error.Failed")
        self.running = True
        return dbus.ObjectPath("/org/freedesktop/systemd1/job/1")

    @dbus.service.method(MANAGER, in_signature="ss", out_signature="o")
    def StopUnit(self, name, mode):
        self.record("StopUnit %s %s" % (name, mode))
        self.running = False
        return dbus.ObjectPath("/org/freedesktop/systemd1/job/2")

    @dbus.service.method(MANAGER, in_signature="s", out_signature="s")
    def GetUnitFileState(self, name):
        return "enabled" if self.enabled else "disabled"

    @dbus.service.method(MANAGER, in_signature="s", out_signature="o")
    def LoadUnit(self, name):
        return dbus.ObjectPath(TIMER_PATH)


class Timer(dbus.service.Object):
    def __init__(self, bus, manager):
        super().__init__(bus, TIMER_PATH)
        self.manager = manager

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        if interface == "org.freedesktop.systemd1.Timer" and prop == "NextElapseUSecRealtime":
            return dbus.UInt64(NEXT_RUN_USEC if self.manager.running else 2**64 - 1)
        raise dbus.exceptions.DBusException("no such property",
                                            name="org.freedesktop.DBus.Error.UnknownProperty")


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    manager = Manager(bus, sys.argv[1], "--refuse-enable" in sys.argv)
    Timer(bus, manager)
    if "--no-name" not in sys.argv:
        name = dbus.service.BusName(NAME, bus)  # noqa: F841, held for the process's life
    print(os.environ["DBUS_SESSION_BUS_ADDRESS"], flush=True)
    loop = GLib.MainLoop()
    GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_HUP | GLib.IO_IN, lambda *_: loop.quit())
    loop.run()


if __name__ == "__main__":
    main()
