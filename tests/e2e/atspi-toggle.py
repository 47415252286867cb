"""Reads the automatic-presentation toggle as a screen reader does, over
AT-SPI: its role, its checked state before and after a click, and the
announcement of the change. The hidden box that holds the state must not be
exposed at all.

    atspi-toggle.py BINARY EXPECTED_CHECKED(0|1)

Run on an X display inside a D-Bus session (dbus-run-session)."""

import os
import subprocess
import sys

from atspi_support import Atspi, fail, find_app, pump, walk

TOGGLE = "Apresentação automática"


def checked(node):
    return node.get_state_set().contains(Atspi.StateType.CHECKED)


def main():
    binary, expected = sys.argv[1], sys.argv[2] == "1"
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    env.pop("QT_QPA_PLATFORM", None)
    app_process = subprocess.Popen([binary], env=env)
    try:
        app = None
        if not pump(30, lambda: find_app(os.path.basename(binary)) is not None):
            fail("the program never showed up on the accessibility bus")
        app = find_app(os.path.basename(binary))
        toggle = None

        def found():
            nonlocal toggle
            toggle = next((n for n in walk(app) if n.get_name() == TOGGLE), None)
            return toggle is not None

        if not pump(30, found):
            fail(f'no accessible named "{TOGGLE}"')
        # The first activation loads the settings file.
        pump(3, lambda: checked(toggle) == expected)

        names = [n.get_name() for n in walk(app)]
        if "AprChe" in names:
            fail("the hidden box AprChe is exposed")
        role = toggle.get_role()
        if role not in (Atspi.Role.CHECK_BOX, Atspi.Role.TOGGLE_BUTTON):
            fail(f"the toggle's role is {role.value_nick}, not a check box or toggle button")
        if checked(toggle) != expected:
            fail(f"line 1 = {int(expected)} but the toggle reads checked={checked(toggle)}")
        print(f"{TOGGLE}: {role.value_nick}, checked={checked(toggle)}")

        heard = []

        def on_checked(event):
            if event.source is not None and event.source.get_name() == TOGGLE:
                heard.append(event.detail1)

        listener = Atspi.EventListener.new(on_checked)
        listener.register("object:state-changed:checked")
        pump(0.5)

        # ApreAuto at 30,92 400x35 on the 800x600 screen.
        subprocess.run(["xdotool", "mousemove", "230", "110", "click", "1"], check=True)
        if not pump(10, lambda: heard and checked(toggle) != expected):
            fail(f"after a click: checked={checked(toggle)}, announcements heard {heard}")
        if heard[-1] != int(not expected):
            fail(f"the announcement said checked={heard[-1]}")
        print(f"after a click: checked={checked(toggle)}, announced {heard}")
        listener.deregister("object:state-changed:checked")
    finally:
        app_process.terminate()
        app_process.wait(10)


main()
