"""A double click on GRAVA DADOS with no settings file, heard as a screen
reader hears it: the second click saves again, and both messages say the
record was saved, which the file then shows.

    atspi-double-save.py BINARY DATA_ROOT

Run on a 1366x768 X display (where the message leaves the save button free)
inside a D-Bus session (dbus-run-session)."""

import os
import subprocess
import sys

from atspi_support import Atspi, fail, pump, start_program, walk

SAVED = "REGISTRO GRAVADO!!"
# The first save writes H1's 9 as "09" and ":" for the empty slots; the
# second, after the reload, writes the same.
EXPECTED = b"0\r\n0\r\n09:\r\n:\r\n:\r\n:\r\n:\r\n:\r\n"


def main():
    binary, root = sys.argv[1], sys.argv[2]
    app_process, app = start_program(binary)
    try:

        def alerts():
            return [n for n in walk(app) if n.get_role() == Atspi.Role.ALERT]

        subprocess.run(["xdotool", "type", "--delay", "30", "9"], check=True)
        # GRAVA DADOS at 1366x768; a double click as a hand makes it.
        subprocess.run(["xdotool", "mousemove", "1220", "671", "click", "--repeat", "2", "--delay", "120", "1"],
                       check=True)
        # Each message stays for seconds, so both are shown at once.
        pump(15, lambda: len(alerts()) >= 2)
        said = [n.get_name() for n in alerts()]
        print("messages:", said)
        if len(said) != 2:
            fail(f"two clicks on GRAVA DADOS gave {len(said)} messages")
        if any(text != SAVED for text in said):
            fail(f'a message is not "{SAVED}"')
    finally:
        app_process.terminate()
        app_process.wait(10)
    with open(os.path.join(root, "Dados", "Dados.txt"), "rb") as saved:
        content = saved.read()
    if content != EXPECTED:
        fail(f"Dados.txt holds {content!r}, not {EXPECTED!r}")
    print("PASS: double-save")


main()
