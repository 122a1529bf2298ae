#!/usr/bin/python3
# Stands for a screen reader on the accessibility bus: it asks the registry for every object,
# window and focus event, as a reader does, so that programs send them, and it takes them in.
# Runs until it is ended. Needs python3-dbus and python3-gi (Debian).
import signal
import sys

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
address = dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
    dbus_interface="org.a11y.Bus")
bus = dbus.bus.BusConnection(address)
registry = bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/registry")
for event in ("object:", "window:", "focus:"):
    registry.RegisterEvent(event, dbus.Array([], signature="s"), "",
                           dbus_interface="org.a11y.atspi.Registry")
received = [0]


def take(*args, **kwargs):
    received[0] += 1


bus.add_signal_receiver(take, interface_keyword="interface", member_keyword="member",
                        path_keyword="path")
loop = GLib.MainLoop()
signal.signal(signal.SIGTERM, lambda *a: loop.quit())
print("listening", flush=True)
loop.run()
print("a11y listener: %d events received" % received[0], file=sys.stderr)
