#!/usr/bin/python3
"""Prints what the programs on this session's accessibility bus show, as a screen reader sees it.

One line per object on screen: role, name, and its box on the screen (x, y, width, height),
separated by tabs, children after their parent. Objects that are not showing are left out with
all that they hold. Exits 2 when the accessibility bus or the registry cannot be reached yet.
"""

import sys

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
COMPONENT = "org.a11y.atspi.Component"
STATE_SHOWING = 25  # bit of the first word of the state set
COORDS_SCREEN = dbus.UInt32(0)


def describe(bus, name, path, out):
    thing = bus.get_object(name, path, introspect=False)
    states = thing.GetState(dbus_interface=ACCESSIBLE)
    role = str(thing.GetRoleName(dbus_interface=ACCESSIBLE))
    # The application object itself carries no showing state; everything under it does.
    if role != "application" and not (int(states[0]) >> STATE_SHOWING) & 1:
        return
    label = thing.Get(ACCESSIBLE, "Name", dbus_interface="org.freedesktop.DBus.Properties")
    try:
        box = thing.GetExtents(COORDS_SCREEN, dbus_interface=COMPONENT)
        box = "\t".join(str(int(v)) for v in box)
    except dbus.DBusException:
        box = "\t".join(["0"] * 4)
    text = str(label).replace("\t", " ").replace("\n", " ")
    out.append(f"{role}\t{text}\t{box}")
    for child_name, child_path in thing.GetChildren(dbus_interface=ACCESSIBLE):
        describe(bus, str(child_name), str(child_path), out)


def main():
    try:
        session = dbus.SessionBus()
        address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
            dbus_interface="org.a11y.Bus")
        bus = dbus.bus.BusConnection(str(address))
        root = bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                              introspect=False)
        applications = root.GetChildren(dbus_interface=ACCESSIBLE)
    except dbus.DBusException as error:
        print(f"accessibility bus not reachable: {error}", file=sys.stderr)
        return 2
    out = []
    for name, path in applications:
        try:
            describe(bus, str(name), str(path), out)
        except dbus.DBusException:
            continue  # an application that went away, or a window closing while walked
    sys.stdout.write("".join(line + "\n" for line in out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
