"""What the end-to-end scripts need to work the program over AT-SPI: a
verdict, a pump for AT-SPI's events, and finding the program and its
controls by name."""

import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def pump(seconds, until=lambda: False):
    """Lets AT-SPI events in for up to `seconds`, or until `until()` holds."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        if until():
            return True
        time.sleep(0.05)
    return until()


def walk(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child)


def find_app(name):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == name:
            return app
    return None


def focused_window_name():
    found = subprocess.run(["xdotool", "getwindowfocus", "getwindowname"],
                           capture_output=True, text=True, check=False)
    return found.stdout.strip()


def start_program(binary, **environment):
    """Starts the program with accessibility on and waits until it is on the
    bus and its window is active; gives the process and its application."""
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **environment)
    env.pop("QT_QPA_PLATFORM", None)
    process = subprocess.Popen([binary], env=env)
    name = os.path.basename(binary)
    if not pump(30, lambda: find_app(name) is not None):
        process.terminate()
        fail("the program never showed up on the accessibility bus")
    if not pump(30, lambda: focused_window_name() == "AdmFor00"):
        process.terminate()
        fail("the window never became active")
    return process, find_app(name)
