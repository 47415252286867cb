"""Orca's customizations for the end-to-end run: every line of the debug log
is written out at once, so the test reads what Orca has said so far."""

import orca.debug as debug

_println = debug.println


def _flushed_println(*args, **kwargs):
    _println(*args, **kwargs)
    if debug.debugFile:
        debug.debugFile.flush()


debug.println = _flushed_println
