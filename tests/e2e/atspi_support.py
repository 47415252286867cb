"""What the end-to-end scripts need to work the program over AT-SPI: a
verdict, a pump for AT-SPI's events, and finding the program and its
controls by name."""

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
