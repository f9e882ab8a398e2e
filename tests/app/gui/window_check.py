#!/usr/bin/python3
"""What the Brimlet window shows, read through the accessibility bus (AT-SPI), as a screen
reader reads it. Run under a session bus and a display (dbus-run-session, xvfb-run).

  window_check.py folders NAME... -- COMMAND...  the folder list's first rows are NAME..., in order
  window_check.py welcome TEXT -- COMMAND...     the "Scan Home Folder" page, with a line holding TEXT
  window_check.py shows TEXT... -- COMMAND...    the window shows each TEXT within some accessible's
                                                 name (a label, a button, the menu button)
  window_check.py desk -- COMMAND...             a click on the desk's first tile opens a window
                                                 whose title ends in "Brimlet"
  window_check.py keys NAME PREFIX OTHER -- COMMAND...
                                                 from the keyboard: Enter goes into the first row
                                                 (NAME), Backspace goes out, typing PREFIX finds
                                                 OTHER and Enter goes into it
  window_check.py history CHART NAME CHANGE... -- COMMAND...
                                                 the folder list's row NAME shows CHANGE (for
                                                 each pair), and the chart's label starts with
                                                 CHART
  window_check.py preferences -- COMMAND...      the window's preferences action opens "Preferences",
                                                 every control there has a name, "Scan Every Day"
                                                 is greyed with the reason (no user manager), and
                                                 a pattern --exclude refuses is refused in a line
  window_check.py trash NAME NEXT TREE -- COMMAND...
                                                 the header bar's "Folder Menu" button opens the
                                                 selected row's menu; its "Move to Trash…" and the
                                                 confirmation's "Move to Trash" take the first
                                                 row, NAME, out of the folder list; then NEXT,
                                                 replaced in TREE since the scan, is refused in
                                                 one line and stays listed
  window_check.py quit -- COMMAND...             once the folder list shows, the application's
                                                 quit action closes the window and the program
                                                 exits 0 without a GLib warning

COMMAND starts the program under test. Exit status 0 when the check holds, 1 when it does not
(with what was seen), 77 when pyatspi is missing.
"""
import os
import signal
import subprocess
import sys
import time

try:
    import pyatspi
except ImportError:
    print("pyatspi is not installed (python3-pyatspi)")
    sys.exit(77)

TIMEOUT = 120  # generous: the machine running the tests may be busy


def application(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    return None


def find_all(acc, keep, found=None):
    found = [] if found is None else found
    try:
        if keep(acc):
            found.append(acc)
        for i in range(acc.childCount):
            find_all(acc.getChildAtIndex(i), keep, found)
    except Exception:  # a widget that went away while it was read
        pass
    return found


def wait_for(read, what):
    end = time.monotonic() + TIMEOUT
    while time.monotonic() < end:
        value = read()
        if value:
            return value
        time.sleep(0.2)
    raise AssertionError("timed out waiting for " + what)


def role(acc):
    return acc.getRoleName()


def folder_names(app):
    """The first column's text of each row of the list named "Folders", top to bottom."""
    tables = find_all(app, lambda a: role(a) == "tree table" and a.name == "Folders")
    if not tables:
        return []
    rows = find_all(tables[0], lambda a: role(a) == "table row")
    names = []
    for row in rows:
        labels = find_all(row, lambda a: role(a) == "label")
        cells = find_all(row, lambda a: role(a) == "table cell")
        if cells and labels:  # header rows have no cells
            names.append(labels[0].name)
    return names


def check_folders(expected):
    app = wait_for(lambda: application("brimlet-app"), "the Brimlet window")
    names = wait_for(lambda: folder_names(app)[: len(expected)] if len(folder_names(app)) >= len(expected) else None,
                     "the folder list")
    assert names == expected, "the list shows %r, expected %r first" % (names, expected)


def check_welcome(text):
    app = wait_for(lambda: application("brimlet-app"), "the Brimlet window")
    wait_for(lambda: find_all(app, lambda a: role(a) == "push button" and a.name == "Scan Home Folder"),
             'the "Scan Home Folder" button')
    lines = wait_for(lambda: find_all(app, lambda a: role(a) == "label" and text in a.name),
                     "a line holding " + text)
    assert len(lines) == 1, "%d lines hold %r" % (len(lines), text)


def row_texts(app, name):
    """The texts of the folder list's row whose first column reads `name`."""
    tables = find_all(app, lambda a: role(a) == "tree table" and a.name == "Folders")
    for row in find_all(tables[0], lambda a: role(a) == "table row") if tables else []:
        labels = find_all(row, lambda a: role(a) == "label")
        if labels and labels[0].name == name and find_all(row, lambda a: role(a) == "table cell"):
            return [label.name for label in labels]
    return None


def check_history(chart, pairs):
    app = wait_for(lambda: application("brimlet-app"), "the Brimlet window")
    wait_for(lambda: find_all(app, lambda a: (a.name or "").startswith(chart)),
             "a chart labelled " + chart)
    for name, change in zip(pairs[::2], pairs[1::2]):
        texts = wait_for(lambda: row_texts(app, name), "the row " + name)
        assert change in texts, "the row %s shows %r, not %r" % (name, texts, change)


def check_shows(texts):
    app = wait_for(lambda: application("brimlet-app"), "the Brimlet window")
    for text in texts:
        wait_for(lambda: find_all(app, lambda a: text in (a.name or "")), "a name holding " + text)


def check_desk():
    desk = wait_for(lambda: application("brimlet-desk"), "the desk")
    # A tile is named after its widget and what it shows ("Disk Space, small: 18%, ...").
    is_tile = lambda a: (a.name or "").startswith(("Disk Space", "Disk Breakdown"))
    tile = wait_for(lambda: find_all(desk, is_tile), "a tile")[0]
    time.sleep(0.5)  # the first frame is on screen
    # Without a window manager the desk's window lies at the screen's origin.
    box = tile.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2,
                                        pyatspi.MOUSE_B1C)
    app = wait_for(lambda: application("brimlet-app"), "Brimlet to open")
    frame = wait_for(lambda: find_all(app, lambda a: role(a) == "frame"), "its window")[0]
    try:
        assert frame.name.endswith("Brimlet"), "the window is titled %r" % frame.name
    finally:
        os.kill(app.get_process_id(), signal.SIGTERM)


def press(keysym, text=None):
    pyatspi.Registry.generateKeyboardEvent(keysym, text, pyatspi.KEY_SYM)
    time.sleep(0.1)


def check_keys(first, prefix, other):
    app = wait_for(lambda: application("brimlet-app"), "the Brimlet window")
    wait_for(lambda: folder_names(app), "the folder list")
    frame = find_all(app, lambda a: role(a) == "frame")[0]
    top = frame.name
    titled = lambda name: wait_for(lambda: frame.name == name + " \u2014 Brimlet", "the title " + name)
    press(0xFF0D)  # Return
    titled(first)
    press(0xFF08)  # BackSpace
    wait_for(lambda: frame.name == top, "the title " + top)
    for c in prefix:
        press(ord(c), c)
    press(0xFF0D)
    titled(other)


def activate(app, what, keep):
    """Does the first action of the first widget that `keep` accepts and that has one (a menu
    button is named on its own and again on the button inside it, which does the clicking)."""
    def actionable(a):
        try:
            return keep(a) and a.queryAction().nActions > 0
        except NotImplementedError:
            return False
    wait_for(lambda: find_all(app, actionable), what)[0].queryAction().doAction(0)


def trash_first_row(app):
    activate(app, 'the "Folder Menu" button',
             lambda a: role(a) == "push button" and a.name == "Folder Menu")
    activate(app, 'the menu\'s "Move to Trash\u2026"',
             lambda a: role(a) == "menu item" and a.name == "Move to Trash\u2026")
    activate(app, 'the confirmation\'s "Move to Trash"',
             # GTK 4.8 names a dialog's button by its label twice.
             lambda a: role(a) == "push button" and a.name.startswith("Move to Trash")
             and "\u2026" not in a.name)


def check_trash(name, following, tree):
    app = wait_for(lambda: application("brimlet-app"), "the Brimlet window")
    first = wait_for(lambda: folder_names(app), "the folder list")[0]
    assert first == name, "the first row is %r, expected %r" % (first, name)
    trash_first_row(app)
    wait_for(lambda: (lambda names: names and name not in names)(folder_names(app)),
             "the list without " + name)
    assert folder_names(app)[0] == following, "then the list starts %r" % folder_names(app)
    os.rename(os.path.join(tree, following), os.path.join(tree, following + ".old"))
    os.mkdir(os.path.join(tree, following))
    trash_first_row(app)
    wait_for(lambda: find_all(app, lambda a: role(a) == "label" and
                              (a.name or "").endswith("replaced since the scan; nothing moved")),
             "the line saying it was replaced")
    assert folder_names(app)[0] == following, "the list now starts %r" % folder_names(app)


def check_quit(program):
    app = wait_for(lambda: application("brimlet-app"), "the Brimlet window")
    wait_for(lambda: folder_names(app), "the folder list")
    run_action("quit", "/org/brimlet/Brimlet")
    _, err = program.communicate(timeout=TIMEOUT)
    warnings = [line for line in err.decode(errors="replace").splitlines()
                if "CRITICAL" in line or "WARNING" in line]
    assert program.returncode == 0 and not warnings, \
        "exit status %d, %s" % (program.returncode, warnings)


def run_action(action, path="/org/brimlet/Brimlet/window/1"):
    """Activates the program's action `action` over D-Bus, as a menu item does."""
    subprocess.run(["gdbus", "call", "--session", "--dest", "org.brimlet.Brimlet",
                    "--object-path", path, "--method", "org.gtk.Actions.Activate", action, "[]",
                    "{}"], check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


CONTROLS = ("push button", "check box", "toggle button", "text", "list", "combo box")


def check_preferences():
    app = wait_for(lambda: application("brimlet-app"), "the Brimlet window")
    wait_for(lambda: find_all(app, lambda a: role(a) == "frame"), "the window")
    run_action("preferences")
    dialog = wait_for(lambda: find_all(app, lambda a: role(a) == "frame" and a.name == "Preferences"),
                      'the "Preferences" window')[0]
    controls = find_all(dialog, lambda a: role(a) in CONTROLS)
    assert len(controls) >= 7, "only %d controls" % len(controls)
    unnamed = [role(c) + " " + repr(c.name) for c in controls
               if not c.name or c.name.startswith(("Gtk", "gtkmm")) or "_" in c.name]
    assert not unnamed, "controls without a proper name: %s" % unnamed
    daily = [c for c in controls if c.name == "Scan Every Day"]
    assert daily and not daily[0].getState().contains(pyatspi.STATE_SENSITIVE), \
        '"Scan Every Day" is not greyed'
    wait_for(lambda: find_all(dialog, lambda a: role(a) == "label" and "no systemd user manager" in a.name),
             "the reason it is greyed")
    entry = [c for c in controls if role(c) == "text"][0]
    entry.queryEditableText().setTextContents("./")
    add = [c for c in controls if c.name == "Add"][0]
    add.queryAction().doAction(0)
    wait_for(lambda: find_all(dialog, lambda a: role(a) == "label" and "scanned folder itself" in a.name),
             "the line refusing ./")


def start(command, mode):
    """Starts the program under test. On a busy machine a fresh X server now and then refuses
    its first client: a program that ends at once is started again, up to three times."""
    for _ in range(3):
        # The quit check reads the program's messages; the others leave them to the caller.
        program = subprocess.Popen(command, stderr=subprocess.PIPE if mode == "quit" else None)
        try:
            program.wait(timeout=3)
        except subprocess.TimeoutExpired:
            return program
        time.sleep(1)
    return program


def main(argv):
    split = argv.index("--")
    mode, args, command = argv[1], argv[2:split], argv[split + 1:]
    program = start(command, mode)
    try:
        if mode == "folders":
            check_folders(args)
        elif mode == "welcome":
            check_welcome(args[0])
        elif mode == "shows":
            check_shows(args)
        elif mode == "keys":
            check_keys(*args)
        elif mode == "trash":
            check_trash(*args)
        elif mode == "quit":
            check_quit(program)
        elif mode == "history":
            check_history(args[0], args[1:])
        elif mode == "preferences":
            check_preferences()
        elif mode == "desk":
            check_desk()
        else:
            raise AssertionError("unknown check " + mode)
    except AssertionError as failure:
        print("window_check %s: %s" % (mode, failure))
        return 1
    finally:
        program.terminate()
        program.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
