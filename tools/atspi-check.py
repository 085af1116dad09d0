#!/usr/bin/python3
"""What a screen reader sees of Vorpane's window, through AT-SPI.

Starts the window (the program given, build/ui/vorpane by default) with Qt's
accessibility bridge on, walks its AT-SPI tree and prints every control the
keyboard can reach with its role, name and actions. Exits 1 when one of them
has no name, or when Convert is not a push button that can be pressed.
The names are translated: in another locale, give Convert's name there as
the second argument ("Start" in German). It needs a display and a session
bus of its own:

    xvfb-run -a dbus-run-session -- /usr/bin/python3 tools/atspi-check.py build/ui/vorpane
    LANG=de_DE.UTF-8 xvfb-run -a dbus-run-session -- \
        /usr/bin/python3 tools/atspi-check.py build/ui/vorpane Start
"""
import os
import subprocess
import sys
import time

import pyatspi


def controls(node, found):
    for child in node:
        if child is None:
            continue
        states = child.getState()
        if states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING):
            found.append(child)
        controls(child, found)
    return found


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else "build/ui/vorpane"
    convert_name = sys.argv[2] if len(sys.argv) > 2 else "Convert"
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    window = subprocess.Popen([program], env=env)
    try:
        app = None
        for _ in range(50):
            time.sleep(0.2)
            desktop = pyatspi.Registry.getDesktop(0)
            app = next((a for a in desktop if a is not None and a.name.lower() == "vorpane"), None)
            if app is not None and app.childCount > 0:
                break
        if app is None:
            print("vorpane did not appear on the AT-SPI bus", file=sys.stderr)
            return 1
        faults = 0
        convert = None
        for control in controls(app, []):
            try:
                action = control.queryAction()
                actions = [action.getName(i) for i in range(action.nActions)]
            except NotImplementedError:
                actions = []
            print(f"{control.getRoleName():16} {control.name!r:32} {','.join(actions)}")
            if not control.name:
                faults += 1
            if control.name == convert_name:
                convert = (control.getRole(), actions)
        if convert is None or convert[0] != pyatspi.ROLE_PUSH_BUTTON or "press" not in [a.lower() for a in convert[1]]:
            print(f"{convert_name} is no push button that can be pressed", file=sys.stderr)
            faults += 1
        print(f"{faults} fault(s)")
        return 1 if faults else 0
    finally:
        window.terminate()
        window.wait()


if __name__ == "__main__":
    sys.exit(main())
