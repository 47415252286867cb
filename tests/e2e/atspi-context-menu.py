"""A time field's context menu read as a screen reader reads it: its items
are in Portuguese, as every other text of the program, whatever the
system's language (the run sets English).

    atspi-context-menu.py BINARY

Run on an 800x600 X display inside a D-Bus session (dbus-run-session)."""

import subprocess
import sys

from atspi_support import Atspi, fail, pump, start_program, walk

ITEMS = ["Desfazer", "Refazer", "Recortar", "Copiar", "Colar", "Excluir", "Selecionar tudo"]
MENUS = (Atspi.Role.POPUP_MENU, Atspi.Role.MENU)


def item_name(node):
    # A menu item's name may carry its shortcut after a tab.
    return node.get_name().split("\t")[0].replace("&", "").strip()


def main():
    binary = sys.argv[1]
    app_process, _ = start_program(binary, LANG="en_US.UTF-8", LANGUAGE="en_US", LC_ALL="en_US.UTF-8")
    try:
        # A popup menu is no child of the application's accessible: it is
        # heard as it comes up, as a screen reader hears it.
        menus = []

        def on_showing(event):
            if event.detail1 == 1 and event.source is not None and event.source.get_role() in MENUS:
                menus.append(event.source)

        listener = Atspi.EventListener.new(on_showing)
        listener.register("object:state-changed:showing")
        pump(0.5)
        # H1, which has the focus, at 77,243 on the 800x600 screen.
        subprocess.run(["xdotool", "mousemove", "77", "243", "click", "3"], check=True)
        if not pump(30, lambda: menus):
            fail("no context menu came up on H1")
        menu = menus[-1]
        items = [item_name(n) for n in walk(menu) if n is not menu and n.get_name()]
        print("menu:", items)
        if items != ITEMS:
            fail(f"the context menu reads {items}, not {ITEMS}")
        listener.deregister("object:state-changed:showing")
        subprocess.run(["xdotool", "key", "Escape"], check=True)
    finally:
        app_process.terminate()
        app_process.wait(10)
    print("PASS: context-menu")


main()
