"""Walks the accessibility tree of the running pellomare over AT-SPI, as a screen reader sees it, and
prints what it finds: the pressable buttons, the page's headings and links. Waits until they are all
there, or the time given in seconds has passed."""
import sys
import time

import pyatspi


def walk(node, found):
    try:
        role, name = node.getRoleName(), node.name
    except Exception:  # a node that went away while the tree was read
        return
    actions = []
    try:
        action = node.queryAction()
        actions = [action.getName(i).lower() for i in range(action.nActions)]
    except NotImplementedError:
        pass
    found.append((role, name, actions))
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, found)


def tree():
    desktop = pyatspi.Registry.getDesktop(0)
    found = []
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "pellomare":
            walk(app, found)
    return found


deadline = time.time() + float(sys.argv[1])
while True:
    found = tree()
    buttons = sorted(name for role, name, actions in found if role == "push button" and "press" in actions)
    headings = [name for role, name, _ in found if role == "heading"]
    links = [name for role, name, _ in found if role == "link"]
    if (len(buttons) >= 7 and headings and links) or time.time() > deadline:
        break
    time.sleep(0.5)
print("buttons:", ", ".join(buttons))
print("headings:", len(headings), "; ".join(headings[:3]))
print("links:", len(links))
