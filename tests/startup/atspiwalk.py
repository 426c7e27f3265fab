"""Walks the accessibility tree of the running pellomare over AT-SPI, as a screen reader sees it, and
prints what it finds: the pressable buttons, the page's headings and links, and the band. Waits until
they are all there, or the time given in seconds has passed. Then presses Previous (a message on the
first page) and Next, and finds in the whole book: how long the presses took to be answered, the page
turn it is told of, and the pages found as they are named."""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

nodes = {}


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
    nodes[(role, name)] = node
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
    band = [name for role, name, _ in found if role == "label" and name.startswith("page 1 of")] + [""]
    if (len(buttons) >= 7 and headings and links and band[0]) or time.time() > deadline:
        break
    time.sleep(0.5)
print("buttons:", ", ".join(buttons))
print("headings:", len(headings), "; ".join(headings[:3]))
print("links:", len(links))
print("band:", band[0])


def wait_for(condition, seconds):
    """Runs the event loop until condition() holds or the time has passed; gives its last value."""
    deadline = time.time() + seconds
    while not condition() and time.time() < deadline:
        while GLib.MainContext.default().iteration(False):
            pass
        time.sleep(0.1)
    return condition()


told = []  # the page turns, told as notifications that appear
pyatspi.Registry.registerEventListener(
    lambda e: told.append(e.source.name) if e.detail1 and e.source.getRoleName() == "notification" else None,
    "object:state-changed:showing")
answered = 0
for name, then in (("Previous", "Return"), ("Next", "shift")):
    began = time.time()
    nodes[("push button", name)].queryAction().doAction(0)
    answered = max(answered, time.time() - began)
    time.sleep(2)
    subprocess.run(["xdotool", "key", then])  # Return closes the message
print("presses answered in: %.2f s" % answered)
print("told:", "; ".join(wait_for(lambda: told, 10)))

window = subprocess.run(["xdotool", "search", "--class", "pellomare"], capture_output=True, text=True).stdout.split()
for keys in (["windowfocus", "--sync", window[-1]], ["key", "ctrl+shift+f"], ["type", "harbour"], ["key", "Return"]):
    subprocess.run(["xdotool"] + keys)
    time.sleep(0.5)
results = wait_for(lambda: [name for role, name, _ in tree() if role == "list item" and name.startswith("page ")], 20)
print("found:", len(results), (results or [""])[0].split("\n")[0])
