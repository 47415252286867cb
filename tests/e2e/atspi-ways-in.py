"""The ways a screen reader changes a field, each meeting the field's exit
check as keys and clicks do:

- BackSpace in H1 (its 07 selected), then the action "Press" on GRAVA DADOS:
  the save judges the emptied H1 as leaving it would, so line 3 is 00:30;
- H1's text set to nothing over AT-SPI, then the focus moved to M1 over
  AT-SPI: H1 is judged on the way out and shows 00, which the next save
  writes.

    atspi-ways-in.py BINARY DATA_ROOT

Run on a 1366x768 X display inside a D-Bus session (dbus-run-session)."""

import os
import subprocess
import sys

from atspi_support import Atspi, fail, pump, start_program, walk

START = b"1\r\n5\r\n07:30\r\n12:00\r\n15:45\r\n16:00\r\n17:00\r\n18:00\r\n"
SAVED = "REGISTRO GRAVADO!!"


def settings(root):
    with open(os.path.join(root, "Dados", "Dados.txt"), "rb") as f:
        return f.read()


def text_of(node):
    return Atspi.Text.get_text(node, 0, -1)


def press(node):
    for i in range(Atspi.Action.get_n_actions(node)):
        if Atspi.Action.get_action_name(node, i) == "Press":
            Atspi.Action.do_action(node, i)
            return
    fail(f'"{node.get_name()}" has no action Press')


def run(binary, root, steps, expected):
    with open(os.path.join(root, "Dados", "Dados.txt"), "wb") as f:
        f.write(START)
    app_process, app = start_program(binary)
    try:
        named = {}

        def found():
            named.update({n.get_name(): n for n in walk(app)})
            return all(k in named for k in ("Grava dados", "Hora do horário 1", "Minuto do horário 1"))

        if not pump(30, found):
            fail("the save button or the first slot's fields are not on the bus")
        # The first activation has loaded the file.
        h1 = named["Hora do horário 1"]
        if not pump(10, lambda: text_of(h1) == "07"):
            fail(f"H1 holds {text_of(h1)!r}, not the saved 07")
        steps(named)

        def messages():
            return [n.get_name() for n in walk(app) if n.get_role() == Atspi.Role.ALERT]

        press(named["Grava dados"])
        if not pump(15, lambda: SAVED in messages()):
            fail(f'no "{SAVED}", messages: {messages()}')
    finally:
        app_process.terminate()
        app_process.wait(10)
    if settings(root) != expected:
        fail(f"Dados.txt holds {settings(root)!r}, not {expected!r}")


def backspace_then_press(named):
    subprocess.run(["xdotool", "key", "--delay", "30", "BackSpace"], check=True)
    h1 = named["Hora do horário 1"]
    if not pump(10, lambda: text_of(h1) == ""):
        fail(f"BackSpace left H1 holding {text_of(h1)!r}")


def emptied_then_focus_moved(named):
    h1, m1 = named["Hora do horário 1"], named["Minuto do horário 1"]
    Atspi.EditableText.set_text_contents(h1, "")
    if not pump(10, lambda: text_of(h1) == ""):
        fail(f"H1 holds {text_of(h1)!r} after its text was set to nothing")
    Atspi.Component.grab_focus(m1)
    if not pump(10, lambda: text_of(h1) == "00"):
        fail(f"leaving H1 over AT-SPI left it holding {text_of(h1)!r}, not 00")


def main():
    binary, root = sys.argv[1], sys.argv[2]
    expected = START.replace(b"07:30", b"00:30")
    run(binary, root, backspace_then_press, expected)
    print("PASS: BackSpace, then Press on GRAVA DADOS")
    run(binary, root, emptied_then_focus_moved, expected)
    print("PASS: text set to nothing, then the focus moved over AT-SPI")


main()
