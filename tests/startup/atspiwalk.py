"""Walks the accessibility tree of the running pellomare over AT-SPI, as a screen reader sees it, and
prints what it finds: the pressable buttons, the page's headings and links, and the band. Waits until
they are all there, or the time given in seconds has passed. Then presses Next as a screen reader
does (Previous first, which shows a message on the first page) and prints the page turn it is told
of and how long the presses took to be answered, and finds in the
whole book (the keys typed with xdotool) and prints the pages found, as they are named."""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib


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
    found.append((role, name, actions, node))
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


def wait_for(condition, seconds):
    """Runs the event loop until condition() holds or the time has passed; gives its last value."""
    deadline = time.time() + seconds
    context = GLib.MainContext.default()
    while True:
        value = condition()
        if value or time.time() > deadline:
            return value
        while context.pending():
            context.iteration(False)
        time.sleep(0.1)


deadline = time.time() + float(sys.argv[1])
while True:
    found = tree()
    buttons = sorted(name for role, name, actions, _ in found if role == "push button" and "press" in actions)
    headings = [name for role, name, _, _ in found if role == "heading"]
    links = [name for role, name, _, _ in found if role == "link"]
    band = [name for role, name, _, _ in found if role == "label" and name.startswith("page 1 of")]
    if (len(buttons) >= 7 and headings and links and band) or time.time() > deadline:
        break
    time.sleep(0.5)
print("buttons:", ", ".join(buttons))
print("headings:", len(headings), "; ".join(headings[:3]))
print("links:", len(links))
print("band:", band[0] if band else "")

# A page turn, pressed as a screen reader presses a button: told as a notification that appears.
told = []
pyatspi.Registry.registerEventListener(
    lambda e: told.append(e.source.name) if e.detail1 and e.source.getRoleName() == "notification" else None,
    "object:state-changed:showing")
def press(name):
    """Presses the button of that name; gives how long the press took to be answered."""
    button = next((node for role, n, _, node in found if role == "push button" and n == name), None)
    began = time.time()
    if button is not None:
        button.queryAction().doAction(0)
    return time.time() - began


window = subprocess.run(["xdotool", "search", "--class", "pellomare"], capture_output=True, text=True).stdout.split()
# Previous on the first page shows its message, which waits for the reader: the press is answered first.
answered = press("Previous")
time.sleep(2)
subprocess.run(["xdotool", "key", "Return"])
time.sleep(1)
answered = max(answered, press("Next"))
print("presses answered in: %.2f s" % answered)
wait_for(lambda: told, 10)
print("told:", "; ".join(told))

# Find in the whole book, by the keys, as a reader does; the pages found are named by what they say.
if window:
    subprocess.run(["xdotool", "windowfocus", "--sync", window[-1]])
    subprocess.run(["xdotool", "key", "ctrl+shift+f"])
    time.sleep(1)
    subprocess.run(["xdotool", "type", "harbour"])
    subprocess.run(["xdotool", "key", "Return"])
results = wait_for(lambda: [name for role, name, _, _ in tree() if role == "list item" and name.startswith("page ")], 20)
print("found:", len(results or []), (results or [""])[0].split("\n")[0])
