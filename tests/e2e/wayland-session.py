"""Runs the program in a Wayland session (the compositor given by
WAYLAND_DISPLAY, and DISPLAY where it runs XWayland) and works it over AT-SPI,
since a headless compositor has no keyboard to type on: the settings are
loaded although the compositor never gives the window the focus, a click on
the toggle and a save rewrite the file, and the close panel ends the program
with status 0. Prints the program's stderr to the file given.

    wayland-session.py BINARY STDERR_FILE

Run inside a D-Bus session (dbus-run-session)."""

import os
import subprocess
import sys

from atspi_support import Atspi, fail, find_app, pump, walk


def named(app, name):
    return next((n for n in walk(app) if n.get_name() == name), None)


def text_of(node):
    return Atspi.Text.get_text(node, 0, -1)


def press(node):
    Atspi.Action.do_action(node, 0)


def main():
    binary, stderr_path = sys.argv[1], sys.argv[2]
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    with open(stderr_path, "w") as stderr:
        program = subprocess.Popen([binary], env=env, stderr=stderr)
        try:
            if not pump(60, lambda: find_app(os.path.basename(binary)) is not None):
                fail("the program never showed up on the accessibility bus")
            app = find_app(os.path.basename(binary))
            if not pump(30, lambda: named(app, "Hora do horário 1") is not None):
                fail("no hour field on the accessibility bus")
            h1 = named(app, "Hora do horário 1")
            m6 = named(app, "Minuto do horário 6")
            if not pump(30, lambda: text_of(h1) == "07" and text_of(m6) == "15"):
                fail(f"the settings were not loaded: H1 {text_of(h1)!r}, M6 {text_of(m6)!r}")
            print(f"loaded: H1 {text_of(h1)}, M6 {text_of(m6)}")
            press(named(app, "Apresentação automática"))
            press(named(app, "Grava dados"))
            if not pump(30, lambda: named(app, "REGISTRO GRAVADO!!") is not None
                        or any(n.get_name() == "REGISTRO GRAVADO!!" for n in walk(app))):
                print("no confirmation seen on the bus; going on to the file")
            press(named(app, "Fecha"))
            status = program.wait(60)
        except subprocess.TimeoutExpired:
            program.kill()
            fail("the program did not end")
        finally:
            if program.poll() is None:
                program.kill()
    if status != 0:
        fail(f"exit status {status}")
    print("exit status 0")


main()
