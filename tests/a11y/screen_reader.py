#!/usr/bin/python3
"""The program as a screen reader meets it: started under Xvfb on an accessibility bus of its own,
its windows walked through AT-SPI (pyatspi). Fails on a control a person can reach (focusable)
without a name, on a window that is not a frame, window or dialog, and on a live value whose name
does not give its unit. Prints the tree it walked.

Then listens to the live values as a reader does while the unit sends normal values, takes the
probe off, and falls silent: prints what it is told, with the time, and fails unless the probe-off
and the no-data warning come as alerts and values no more often than every ten seconds.

    tests/a11y/screen_reader.py PROGRAM SIMULATOR [--minute]   (run inside dbus-run-session)
"""
import os
import re
import subprocess
import sys
import tempfile
import threading
import time
import tty

import pyatspi
from gi.repository import GLib

program_path, sim_path = sys.argv[1], sys.argv[2]
# What the unit does, from the main window's opening: (scenario or None for silence, seconds).
if "--minute" in sys.argv:
    TIMELINE = [("normal", 22), ("no-probe", 8), ("normal", 10), (None, 12), ("normal", 8)]
else:
    TIMELINE = [("normal", 11), ("no-probe", 4), ("normal", 6), (None, 10), ("normal", 3)]
work = tempfile.mkdtemp(prefix="trelvo-a11y-")
link = os.path.join(work, "unit")
os.makedirs(os.path.join(work, "config", "Trelvo"))
nights = os.path.join(work, "nights")
os.makedirs(nights)
with open(os.path.join(work, "config", "Trelvo", "Trelvo.conf"), "w") as f:
    f.write(f"[Optionen]\nSprache=0\nPort=1\n[Ports]\nCOM1={link}\n[Naechte]\nOrdner={nights}\n")

read_fd, write_fd = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                        pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
os.close(write_fd)
display = ":" + os.read(read_fd, 32).decode().strip()

# The unit's line: a pseudo-terminal fed from here, at the unit's pace, with the simulator's bytes.
unit, line = os.openpty()
tty.setraw(line)
os.symlink(os.ttyname(line), link)
SEGMENTS = [None if scenario is None else
            subprocess.run([sim_path, "--stdout", "--unpaced", "--seconds", str(seconds), "--scenario", scenario],
                           capture_output=True, check=True).stdout
            for scenario, seconds in TIMELINE]
stop_feeding = threading.Event()


def feed():
    for (scenario, seconds), stream in zip(TIMELINE, SEGMENTS):
        tenths = seconds * 10
        for i in range(tenths):
            if stop_feeding.wait(0.1):
                return
            if stream:
                os.write(unit, stream[len(stream) * i // tenths:len(stream) * (i + 1) // tenths])
env = {**os.environ, "DISPLAY": display, "XDG_CONFIG_HOME": os.path.join(work, "config"),
       "XDG_CACHE_HOME": os.path.join(work, "cache"), "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
       "QT_ACCESSIBILITY": "1"}
env.pop("QT_QPA_PLATFORM", None)
# Qt's X11 platform plugin copies strings of the X server's replies with strndup, which the sanitizers'
# strict string checks take for reading past them: this run checks the program, not that plugin.
env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "").replace("strict_string_checks=1", "strict_string_checks=0")
app_log = open(os.path.join(work, "program.log"), "w")
app = subprocess.Popen([program_path], env=env, stderr=app_log)

FOCUSABLE = pyatspi.STATE_FOCUSABLE
WINDOWS = {pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW, pyatspi.ROLE_DIALOG}
faults = []


def application():
    for _ in range(400):  # a program built with the sanitizers takes its time
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.name == "trelvo":
                return a
        time.sleep(0.1)
    with open(os.path.join(work, "program.log")) as log:
        sys.stderr.write(log.read()[-3000:])
    raise SystemExit("the program never appeared on the accessibility bus")


def walk(node, depth, lines):
    role = node.getRoleName()
    name = node.name or ""
    states = node.getState()
    lines.append("  " * depth + f"[{role}] {name!r}")
    if states.contains(FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING) and not name.strip():
        faults.append(f"a focusable {role} without a name")
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, depth + 1, lines)


def windows(app):
    return [app.getChildAtIndex(i) for i in range(app.childCount) if app.getChildAtIndex(i) is not None]


def dump(title):
    lines = [f"== {title}"]
    for w in windows(application()):
        if not w.getState().contains(pyatspi.STATE_SHOWING):
            continue
        if w.getRole() not in WINDOWS:
            faults.append(f"the window {w.name!r} is a {w.getRoleName()}")
        walk(w, 0, lines)
    print("\n".join(lines))
    return lines


def listen():
    """What a reader is told while the unit runs through the timeline: [(seconds, role, text)]."""
    told = []
    began = time.monotonic()

    def heard(event):
        role = event.source.getRoleName() if event.source else ""
        if event.type.startswith("object:state-changed:showing"):
            if event.detail1 == 1 and role in ("alert", "notification"):
                told.append((time.monotonic() - began, role, event.source.name))
        elif role == "label" and event.source.name.startswith(("SpO2", "Puls")):
            told.append((time.monotonic() - began, "name", event.source.name))

    pyatspi.Registry.registerEventListener(heard, "object:state-changed:showing",
                                           "object:property-change:accessible-name")
    feeder = threading.Thread(target=feed)
    feeder.start()
    GLib.timeout_add(int(sum(seconds for _, seconds in TIMELINE) * 1000) + 1500, pyatspi.Registry.stop)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(heard, "object:state-changed:showing",
                                             "object:property-change:accessible-name")
    feeder.join()
    return told


def check_told(told):
    print("== what a screen reader is told")
    for at, role, text in told:
        print(f"{at:5.1f} s  [{role}] {text}")
    alerts = [text for _, role, text in told if role == "alert"]
    for warning in ("Kein Sensor!", "Keine ser. Daten!"):
        if not any(text.startswith(warning) for text in alerts):
            faults.append(f"no alert {warning!r}")
    values = [at for at, role, text in told if role == "notification" and re.match(r"SpO2 \d+ Prozent", text)]
    if not values:
        faults.append("the values were never told with their units")
    if any(b - a < 9.5 for a, b in zip(values, values[1:])):
        faults.append(f"values told less than ten seconds apart: {values}")


def xdo(*args):
    return subprocess.run(["xdotool", *args], env={**os.environ, "DISPLAY": display}, capture_output=True,
                          text=True).stdout.strip()


try:
    application()
    time.sleep(1)
    dump("start window")
    start = xdo("search", "--onlyvisible", "--name", "^Korvant GmbH$").split()
    xdo("windowfocus", start[0], "sleep", "0.3", "key", "Tab", "sleep", "0.2", "key", "space")
    check_told(listen())
    lines = dump("main window")
    tree = "\n".join(lines)
    for value in (r"\[label\] 'SpO2 \d+ Prozent", r"\[label\] 'Puls \d+ pro Minute"):
        if not re.search(value, tree):
            faults.append(f"no live value named {value!r}")
    main = xdo("search", "--onlyvisible", "--name", "^TRELVO$").split()
    xdo("windowfocus", main[0], "sleep", "0.3", "key", "ctrl+h")
    time.sleep(3)
    dump("nights window")
finally:
    stop_feeding.set()
    app.terminate()
    app.wait(10)
    xvfb.terminate()

if faults:
    print("\n".join(["FAULTS:"] + sorted(set(faults))))
    sys.exit(1)
print("every window is a window, every control a person can reach has a name")
