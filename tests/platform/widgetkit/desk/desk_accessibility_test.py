#!/usr/bin/env python3
"""brimlet-desk as a screen reader meets it, over AT-SPI: each tile is a button whose name carries
the figures it shows (the texts `brimlet-widgets render` lays out), the window has no menu bar,
Tab reaches every tile, and F10 opens the header bar's primary menu with its items.

Run inside a session bus and an X server:
    dbus-run-session -- xvfb-run -a python3 desk_accessibility_test.py BUILD_DIR [--dump]
--dump prints the desk's accessible tree and passes.
"""
import json
import re
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

FAMILIES = {"small": "small", "medium": "medium", "large": "large"}
PLACED = [("fullness", "small"), ("fullness", "medium"), ("breakdown", "medium"),
          ("breakdown", "large")]
NAMES = {"fullness": "Disk Space", "breakdown": "Disk Breakdown"}
MENU_ITEM_ROLES = (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM,
                   pyatspi.ROLE_RADIO_MENU_ITEM)
MENU = ["Add Widget…", "Open Brimlet", "Start at Login", "Keep Below Windows", "About Brimlet Desk"]


def texts_of(node, out):
    if isinstance(node, dict):
        text = node.get("text")
        if isinstance(text, dict) and text.get("composed"):
            out.append(text["composed"])
        elif isinstance(text, str) and text:
            out.append(text)
        for key, value in node.items():
            if key != "text":
                texts_of(value, out)
    elif isinstance(node, list):
        for value in node:
            texts_of(value, out)
    return out


def walk(accessible, depth=0):
    yield accessible, depth
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def find_desk(timeout):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name in ("brimlet-desk", "org.brimlet.Brimlet.Desk"):
                for window, _ in walk(app):
                    if window.getRole() == pyatspi.ROLE_FRAME and window.childCount > 0:
                        return app
        time.sleep(0.2)
    return None


def tiles_of(app):
    found = {}
    for node, _ in walk(app):
        if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name.startswith(
                tuple(name + "," for name in NAMES.values())):
            found[node.name] = node
    return found


NUMBER = re.compile(r"\d+(?:\.\d+)?")


def figure_pattern(text):
    """`text` as a pattern in which each figure may be read again a little differently: the
    home's volume is live, and other processes write to it between the render and the desk."""
    parts = NUMBER.split(text)
    return re.compile("(\\d+(?:\\.\\d+)?)".join(re.escape(p) for p in parts)), NUMBER.findall(text)


def close(seen, wanted):
    a, b = float(seen), float(wanted)
    return abs(a - b) <= max(1.0, 0.1 * max(abs(a), abs(b)))


def carries(name, prefix, texts):
    """Whether `name` starts with `prefix` and then says every text, in order, each figure
    within 10 % (or 1) of the rendered one."""
    if not name.startswith(prefix):
        return False
    at = len(prefix)
    for text in texts:
        pattern, figures = figure_pattern(text)
        for match in pattern.finditer(name, at):
            if all(close(s, w) for s, w in zip(match.groups(), figures)):
                at = match.end()
                break
        else:
            return False
    return True


def matched(names, expected):
    """The expected tiles that some name carries, each name used once."""
    left = list(names)
    found = []
    for prefix, texts in expected:
        for name in left:
            if carries(name, prefix, texts):
                found.append(name)
                left.remove(name)
                break
    return found


def focused_name(app):
    for node, _ in walk(app):
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            return node.name
    return None


def main():
    build = os.path.abspath(sys.argv[1])
    dump = "--dump" in sys.argv
    failures = []
    home = tempfile.mkdtemp(prefix="brimlet-a11y-", dir="/dev/shm" if os.access("/dev/shm", os.W_OK) else None)
    env = dict(os.environ, HOME=home, LANG="C.UTF-8", GSK_RENDERER="cairo")
    for key in ("XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CONFIG_HOME", "GTK_A11Y"):
        env.pop(key, None)
    run = lambda *args: subprocess.run(args, env=env, check=True, capture_output=True, text=True)
    data = os.path.join(home, "data", "projects")
    os.makedirs(data)
    with open(os.path.join(data, "one.bin"), "wb") as f:
        f.write(b"x" * 300000)
    run(os.path.join(build, "brimlet"), "scan", os.path.join(home, "data"))
    expected = []
    for widget, family in PLACED:
        placed = run(os.path.join(build, "brimlet-widgets"), "place", widget, "--family", family)
        layout = run(os.path.join(build, "brimlet-widgets"), "render", "--placed",
                     placed.stdout.strip(), "--format", "json", "-o", "-")
        expected.append(("%s, %s: " % (NAMES[widget], FAMILIES[family]),
                         texts_of(json.loads(layout.stdout), [])))
    desk = subprocess.Popen([os.path.join(build, "brimlet-desk")], env=env)
    try:
        app = find_desk(30)
        if app is None:
            print("FAIL: the desk never showed up on the accessibility bus")
            return 1
        # The tiles' names follow their first entries.
        end = time.monotonic() + 20
        while time.monotonic() < end and len(matched(tiles_of(app), expected)) < len(expected):
            time.sleep(0.2)
        if dump:
            for node, depth in walk(app):
                print("%s%s %r" % ("  " * depth, node.getRoleName(), node.name))
            return 0
        names = sorted(tiles_of(app))
        if len(names) != len(expected) or len(matched(names, expected)) != len(expected):
            failures.append("tile names %r do not carry the figures %r" % (names, expected))
        roles = {node.getRole() for node, _ in walk(app)}
        if pyatspi.ROLE_MENU_BAR in roles:
            failures.append("the window has a menu bar")
        # Tab from the window's start reaches every tile, in order, without a mouse.
        reached = []
        for _ in range(12):
            subprocess.run(["xdotool", "key", "Tab"], env=env, check=True)
            time.sleep(0.15)
            name = focused_name(app)
            if name in names and name not in reached:
                reached.append(name)
        if sorted(reached) != names:
            failures.append("Tab reached %r of %r" % (reached, names))
        # The primary menu is built when it first opens; F10 opens it with every item.
        subprocess.run(["xdotool", "key", "F10"], env=env, check=True)
        end = time.monotonic() + 10
        shown = set()
        while time.monotonic() < end and not set(MENU) <= shown:
            time.sleep(0.2)
            shown = {node.name for node, _ in walk(app)
                     if node.getRole() in MENU_ITEM_ROLES
                     and node.getState().contains(pyatspi.STATE_VISIBLE)}
        if not set(MENU) <= shown:
            failures.append("F10 showed %r of the menu %r" % (sorted(shown & set(MENU)), MENU))
    finally:
        desk.terminate()
        desk.wait(10)
        shutil.rmtree(home, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    print("%d passed, %d failed" % (4 - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
