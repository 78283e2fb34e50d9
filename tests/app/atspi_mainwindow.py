# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the running main window as a screen reader does, through AT-SPI: every control's role,
name and description, choosing files through the list items' action and the lists' selection,
an error box's text, and Exit. Run by atspi_mainwindow.sh with the program started in FOLDER,
which holds al1.gsi, al2.gsi and al3.gsi.

Usage: atspi_mainwindow.py FOLDER"""
import os
import sys
import time

import pyatspi

folder = sys.argv[1]
failures = []


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, file=sys.stderr)


def await_value(function, what):
    """Polls for up to ten seconds until function() gives something."""
    for _ in range(100):
        try:
            value = function()
        except Exception:  # an object of a window that was just replaced
            value = None
        if value:
            return value
        time.sleep(0.1)
    fail(what)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "Sigtelinje":
            return app
    return None


def main_window():
    app = application()
    for window in app or []:
        # The title may go on to tell what the window reads or has written.
        if window.getRoleName() == "frame" and (window.name == "Sigtelinje"
                                                or window.name.startswith("Sigtelinje – ")):
            return window
    return None


def controls(window):
    """The window's controls, without the entries inside lists, trees and combo boxes."""
    found = []

    def walk(node):
        for child in node:
            if child is None:
                continue
            found.append(child)
            if child.getRoleName() in ("panel", "filler"):
                walk(child)

    walk(window)
    return found


def by_name(window, role, name):
    for control in controls(window):
        if control.getRoleName() == role and control.name == name:
            return control
    return None


def listing():
    return sorted(os.listdir(folder))


window = await_value(main_window, "the main window did not appear in the accessibility tree")

# Every control has its role, its Danish name and a description.
expected = [
    ("push button", "Exit", "Afslutter"),
    ("image", "Sigtelinje logo", "version"),
    ("tree", "Mappe", "åbner"),
    ("list", "GSI Alignment filer", "Konverterer den valgte fil"),
    ("list", "GSI Profil filer", "Konverterer den valgte fil"),
    ("push button", "Hjælp", "hjælpen"),
    ("text", "Mappe", "sti"),
]
for role, name, description in expected:
    control = by_name(window, role, name)
    check(control is not None, f"no {role} named {name!r}")
    if control is not None:
        check(description in control.description,
              f"the {role} {name!r} is described as {control.description!r}")
# Qt would name a combo box after its value on Linux; the drive list is named by its caption.
drives = [c for c in controls(window) if c.getRoleName() == "combo box"]
check(len(drives) == 1 and drives[0].name == "Drev" and drives[0].description.startswith("Drev"),
      f"the drive list is named {[d.name for d in drives]}, not Drev")
for control in controls(window):
    if control.getState().contains(pyatspi.STATE_FOCUSABLE):
        check(bool(control.name), f"a focusable {control.getRoleName()} has no name")
        check(control.getRoleName() not in ("filler", "unknown"),
              f"the control {control.name!r} has no proper role")

# A list item offers one action, Toggle; invoking it on al2.gsi chooses it, as Enter does.
files = by_name(window, "list", "GSI Alignment filer")
items = [files.getChildAtIndex(i) for i in range(files.childCount)]
names = [item.name for item in items]
check(names == ["al1.gsi", "al2.gsi", "al3.gsi"], f"the alignment list shows {names}")
action = items[1].queryAction()
actions = [action.getName(i) for i in range(action.nActions)]
check(actions == ["Toggle"], f"a list item offers {actions}")
action.doAction(0)
await_value(lambda: "al2PI.gsi" in listing(), "the Toggle action did not convert al2.gsi")
check(listing() == ["al1.gsi", "al2.gsi", "al2PI.gsi", "al3.gsi"],
      f"the Toggle action wrote {listing()}")

# The same window read afresh, naming the file written where a screen reader reads it.
window = await_value(
    lambda: main_window() if by_name(main_window(), "list", "GSI Alignment filer").childCount == 4
    else None, "the window did not list al2PI.gsi")
drives = [c for c in controls(window) if c.getRoleName() == "combo box"]
check("al2PI.gsi" in drives[0].description and "al2PI.gsi" in window.name,
      f"the written file is not named: {window.name!r}, {drives[0].description!r}")

# Selecting a row through the list's table interface chooses too. (Qt 6.4
# gives lists no AT-SPI Selection interface; the table's row selection is what it offers.)
window = await_value(
    lambda: main_window() if by_name(main_window(), "list", "GSI Alignment filer").childCount == 4
    else None, "the window did not list al2PI.gsi")
files = by_name(window, "list", "GSI Alignment filer")
check(files.queryTable().addRowSelection(3), "the list refused to select its fourth row")
await_value(lambda: "al3PI.gsi" in listing(), "selecting al3.gsi did not convert it")
check(listing() == ["al1.gsi", "al2.gsi", "al2PI.gsi", "al3.gsi", "al3PI.gsi"],
      f"the selection wrote {listing()}")

# An error box is announced with its whole text.
window = await_value(
    lambda: main_window() if by_name(main_window(), "list", "GSI Alignment filer").childCount == 5
    else None, "the window did not list al3PI.gsi")
os.remove(os.path.join(folder, "al1.gsi"))
files = by_name(window, "list", "GSI Alignment filer")
files.getChildAtIndex(0).queryAction().doAction(0)


def error_box():
    for top in application() or []:
        if top.getRoleName() in ("dialog", "alert") and "Fejl 53" in top.name:
            return top
    return None


box = await_value(error_box, "no error box appeared in the accessibility tree")
whole = os.path.join(folder, "al1.gsi")
check(whole in box.description, f"the error box is described as {box.description!r}")
ok = [c for c in controls(box) if c.getRoleName() == "push button"]
check(len(ok) == 1, "the error box has no single button")
if ok:
    ok[0].queryAction().doAction(0)
    await_value(lambda: error_box() is None, "the error box did not close")

# Exit, pressed through its action, ends the program.
exit_button = by_name(main_window(), "push button", "Exit")
names = [exit_button.queryAction().getName(i) for i in range(exit_button.queryAction().nActions)]
exit_button.queryAction().doAction(names.index("Press"))
await_value(lambda: application() is None, "Exit did not end the program")

if failures:
    sys.exit(1)
print("atspi main window: every control named, items chosen through AT-SPI, error box read")
