#!/usr/bin/python3
"""A person's first journey through the real tray application, on a private virtual desktop.

    journey.py accessible|keyboard <lumivane_journey_services>

Starts Xvfb, a private session bus with the accessibility bus on it, a tray (trayer), the
loopback services (which copy the application into a private home) and `lumivane`; then opens
the window, adds "Harbour Lights" through the add-series flow, reads its row, opens its
episodes and quits.

  accessible: controls are found by accessible role and name and pressed through AT-SPI.
  keyboard:   only key events (xdotool); AT-SPI only reads where the focus is and what rows say.

The window is opened as a launcher does, by starting `lumivane` a second time. Every wait polls
against a generous deadline (the machine may be busy); a failure prints the accessible tree.
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

DEADLINE_S = 60  # for any one thing to appear; a loaded CI machine is slow, never this slow
SERIES = "Harbour Lights"
MATCH = "Harbour Lights (2025)"


class JourneyFailed(Exception):
    pass


JOURNEY_DEADLINE = time.monotonic() + 180  # ends with the tree printed, before ctest's time-out


def poll(what, probe, deadline_s=DEADLINE_S):
    """Asks `probe` until it answers something true; fails naming `what` after the deadline."""
    if time.monotonic() > JOURNEY_DEADLINE:
        raise JourneyFailed(f"out of time before {what}")
    end = min(time.monotonic() + deadline_s, JOURNEY_DEADLINE)
    last_error = None
    while time.monotonic() < end:
        try:
            answer = probe()
            if answer:
                return answer
        except Exception as error:  # objects come and go while windows change
            last_error = error
        time.sleep(0.1)
    raise JourneyFailed(f"gave up waiting for {what}" + (f" (last error: {last_error})" if last_error else ""))


class Desktop:
    """Xvfb, a session bus with the accessibility bus, and a tray; all ended by stop()."""

    def __init__(self):
        self.processes = []
        self.runtime = tempfile.mkdtemp(prefix="lumivane-journey-")
        os.chmod(self.runtime, 0o700)
        self.env = dict(os.environ)
        for key in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS",
                    "SESSION_MANAGER", "XDG_SESSION_TYPE"):
            self.env.pop(key, None)
        self.env["XDG_RUNTIME_DIR"] = self.runtime

    def spawn(self, args, **kwargs):
        process = subprocess.Popen(args, env=kwargs.pop("env", self.env), **kwargs)
        self.processes.append(process)
        return process

    def start(self):
        read, write = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                   pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=self.log("xvfb"))
        os.close(write)
        number = b""
        with os.fdopen(read, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            raise JourneyFailed("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number.decode()

        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=self.log("dbus"))
        address = bus.stdout.readline().decode().strip()
        if not address:
            raise JourneyFailed("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        # The accessibility bus; the registry daemon is started on it by activation.
        self.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                   stdout=subprocess.DEVNULL, stderr=self.log("at-spi"))

        # A tray at the top right, as on most desktops; no window manager.
        self.tray = None
        poll("the tray", self.tray_is_up)

    def log(self, name):
        return open(os.path.join(self.runtime, name + ".log"), "ab")

    def tray_is_up(self):
        if self.tray is None or self.tray.poll() is not None:
            if self.tray is not None:
                print(f"the tray ended (exit code {self.tray.returncode}); starting it again", flush=True)
            self.tray = self.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                                    "--height", "24", "--SetDockType", "true", "--SetPartialStrut", "true"],
                                   stdout=subprocess.DEVNULL, stderr=self.log("trayer"))
        found = subprocess.run(["xdotool", "search", "--classname", "trayer"], env=self.env, capture_output=True)
        return found.returncode == 0 and found.stdout.strip()

    def print_logs(self):
        for name in sorted(os.listdir(self.runtime)):
            if name.endswith(".log"):
                with open(os.path.join(self.runtime, name), "rb") as log:
                    text = log.read()[-3000:].decode(errors="replace").strip()
                if text:
                    print(f"--- {name} ---\n{text}", file=sys.stderr)

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
        for process in reversed(self.processes):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(self.runtime, ignore_errors=True)


class Accessible:
    """Reads (and, for the accessible journey, presses) the application's AT-SPI tree."""

    def __init__(self, pid):
        import pyatspi  # after the environment names our private buses
        self.atspi = pyatspi
        self.pid = pid

    def application(self):
        for app in self.atspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.pid:
                return app
        return None

    def walk(self, node):
        yield node
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                yield from self.walk(child)

    def has(self, node, state):
        return node.getState().contains(state)

    def showing(self, node):
        return self.has(node, self.atspi.STATE_SHOWING)

    def find(self, role, name, enabled=False):
        app = self.application()
        if app is None:
            return None
        for node in self.walk(app):
            if node.getRoleName() == role and node.name == name and self.showing(node):
                if not enabled or self.has(node, self.atspi.STATE_ENABLED):
                    return node
        return None

    def find_named_like(self, start):
        app = self.application()
        return app is not None and any(node.name.startswith(start) and self.showing(node)
                                       for node in self.walk(app))

    def wait(self, role, name, enabled=False):
        return poll(f"{role} {name!r}", lambda: self.find(role, name, enabled))

    def focused(self):
        app = self.application()
        if app is None:
            return None
        # A list's current row reports itself focused even when the list is not: the row counts
        # only when its list has the keyboard, and then it says more than the list.
        found = None
        for node in self.walk(app):
            if not (self.has(node, self.atspi.STATE_FOCUSED) and self.showing(node)):
                continue
            if node.getRoleName() in ("list item", "table cell") and not (
                    node.parent is not None and self.has(node.parent, self.atspi.STATE_FOCUSED)):
                continue
            found = node
        return found

    def press(self, role, name):
        print(f"press: {role} {name!r}", flush=True)
        # Found afresh on each try: a control can be rebuilt between finding and pressing it.
        poll(f"pressing {role} {name!r}",
             lambda: self.wait(role, name, enabled=True).queryAction().doAction(0) or True)

    def rows(self, list_name):
        node = self.find("list", list_name)
        if node is None:
            return []
        return [(row.name, row.description) for row in
                (node.getChildAtIndex(i) for i in range(node.childCount)) if row is not None]

    def dump(self):
        app = self.application()
        if app is None:
            return "(the application is not on the accessibility bus)"
        lines = []

        def visit(node, depth):
            try:
                if depth and not self.showing(node):
                    return
                marks = " FOCUSED" if self.has(node, self.atspi.STATE_FOCUSED) else ""
                lines.append("  " * depth + f"[{node.getRoleName()}] {node.name!r} {node.description!r}{marks}")
                for i in range(node.childCount):
                    child = node.getChildAtIndex(i)
                    if child is not None:
                        visit(child, depth + 1)
            except Exception as error:
                lines.append("  " * depth + f"(gone: {error})")

        visit(app, 0)
        return "\n".join(lines)


class Keyboard:
    def __init__(self, env, accessible):
        self.env = env
        self.a11y = accessible

    def key(self, *keys):
        print("keys:", " ".join(keys), flush=True)
        subprocess.run(["xdotool", "key", "--delay", "40", *keys], env=self.env, check=True)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "40", text], env=self.env, check=True)

    def focus_is(self, role, name):
        node = self.a11y.focused()
        return node is not None and node.getRoleName() == role and node.name == name

    def tab_to(self, role, name, limit=40):
        self.tab_until(f"focus on {role} {name!r}", lambda: self.focus_is(role, name), limit)

    def focus_signature(self):
        node = self.a11y.focused()
        if node is None:
            return None
        parent = node.parent
        return (node.getRoleName(), node.name, node.description, parent.description if parent else None)

    def tab_until(self, what, probe, limit=40):
        """Presses Tab until `probe` holds, each time waiting for the focus to move first."""
        for _ in range(limit):
            if retrying(lambda: probe()):
                return
            before = retrying(self.focus_signature)
            print("  focus:", before, flush=True)
            self.key("Tab")
            # Decides nothing: a focus that did not move is caught by the probe and the limit.
            retrying(lambda: poll("the focus to move", lambda: self.focus_signature() != before, 10))
        poll(f"{what} after {limit} presses of Tab", probe)


def row_of(a11y, name):
    for row_name, description in a11y.rows("Series Watchlist"):
        if row_name == name:
            return description
    return None


def accessible_journey(a11y, keyboard):
    a11y.press("push button", "Series")
    a11y.press("push button", "Add Series")
    field = a11y.wait("text", "SERIES NAME")
    field.queryEditableText().setTextContents(SERIES)
    a11y.press("push button", "Find series")
    a11y.wait("list item", MATCH)

    def pick():  # a row is picked by selecting it; again if the list was still settling
        match = a11y.find("list item", MATCH)
        if match is not None:
            match.queryAction().doAction(0)
        return poll("the match to be picked", lambda: a11y.find("push button", "Add to your schedule"), 3)

    poll(f"picking {MATCH}", lambda: retrying(pick))
    a11y.press("push button", "Add to your schedule")
    description = poll(f"the row of {SERIES}", lambda: row_of(a11y, SERIES))
    expect("Subscribed" in description, f"the row says it is subscribed: {description!r}")
    expect(a11y.find("push button", "Add to your schedule") is None, "the add panels closed")

    # A screen reader's user expands the row from the keyboard; its controls then stand in the
    # tree, and "View episodes" is pressed there.
    expand_row_by_keys(a11y, keyboard)
    switch = a11y.wait("check box", "Subscribed — turn off to stop grabbing new episodes")
    expect(a11y.has(switch, a11y.atspi.STATE_CHECKED), "the row's switch reads as on")
    a11y.press("push button", "View episodes")
    see_episodes(a11y)
    a11y.press("push button", "Back to the list")
    poll("the list again", lambda: a11y.find("push button", "Back to the list") is None and row_of(a11y, SERIES))
    keyboard.key("ctrl+q")


def keyboard_journey(a11y, keyboard):
    poll("the window has the keyboard", lambda: a11y.focused() is not None)
    keyboard.key("ctrl+2")
    keyboard.tab_to("push button", "Add Series")
    keyboard.key("space")
    poll("focus in the series name", lambda: keyboard.focus_is("text", "SERIES NAME"))
    keyboard.type(SERIES)
    keyboard.key("Return")
    a11y.wait("list item", MATCH)
    keyboard.tab_to("list item", MATCH)
    keyboard.key("Return")
    a11y.wait("push button", "Add to your schedule", enabled=True)
    keyboard.tab_to("push button", "Add to your schedule")
    keyboard.key("space")
    description = poll(f"the row of {SERIES}", lambda: row_of(a11y, SERIES))
    expect("Subscribed" in description, f"the row says it is subscribed: {description!r}")
    open_episodes_by_keys(a11y, keyboard)
    # Escape closes the episodes, then the window; Ctrl+Q quits from anywhere.
    keyboard.key("Escape")
    poll("the episodes closed", lambda: a11y.find("push button", "Back to the list") is None)
    keyboard.key("ctrl+q")


def expand_row_by_keys(a11y, keyboard):
    def in_list():
        node = a11y.focused()
        return node is not None and (node.name == "Series Watchlist" or node.name == SERIES)

    # Keys go to the window that has the keyboard: wait until one of ours has it again.
    poll("a window of ours with the keyboard", lambda: a11y.focused() is not None)
    keyboard.key("ctrl+2")
    keyboard.tab_until("the series list has the keyboard", in_list)
    if not keyboard.focus_is("list item", SERIES):
        keyboard.key("Home")  # the list had no current row yet
        poll(f"the keyboard on the row of {SERIES}", lambda: keyboard.focus_is("list item", SERIES))
    keyboard.key("Return")  # expands the row


def open_episodes_by_keys(a11y, keyboard):
    def on_view_episodes():
        node = a11y.find("list", "Series Watchlist")
        return node is not None and node.description == "View episodes"

    expand_row_by_keys(a11y, keyboard)
    keyboard.tab_until("the keyboard on \"View episodes\"", on_view_episodes, limit=10)
    keyboard.key("Return")
    see_episodes(a11y)


def see_episodes(a11y):
    a11y.wait("push button", "Back to the list")
    # The season's episodes, whatever shape their rows take.
    poll("the first episode in the drawer", lambda: a11y.find_named_like("S01E01"))


def retrying(step):
    """The step's answer, or None when it gave up or its objects went away meanwhile."""
    try:
        return step()
    except Exception:
        return None


def expect(condition, what):
    if not condition:
        raise JourneyFailed("expected: " + what)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("accessible", "keyboard"):
        print(__doc__, file=sys.stderr)
        return 2
    journey, services_binary = sys.argv[1], sys.argv[2]
    started = time.monotonic()
    desktop = Desktop()
    services = app = None
    a11y = None
    try:
        desktop.start()
        os.environ.update(desktop.env)
        for key in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "AT_SPI_BUS_ADDRESS"):
            os.environ.pop(key, None)

        services = desktop.spawn([services_binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                 stderr=desktop.log("services"))
        ready = json.loads(services.stdout.readline().decode() or "{}")
        if "executable" not in ready:
            raise JourneyFailed("the loopback services did not start")
        app_env = dict(desktop.env)
        app_env.update(ready["environment"])
        app_env.update({"QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_ACCESSIBILITY": "1",
                        "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
        app = desktop.spawn([ready["executable"]], env=app_env, stdout=desktop.log("lumivane"),
                            stderr=subprocess.STDOUT)

        a11y = Accessible(app.pid)
        poll("the application on the accessibility bus", a11y.application)
        # A second start hands over to the running one, which shows its window.
        opener = poll("the window to open", lambda: subprocess.run(
            [ready["executable"]], env=app_env, capture_output=True, timeout=30).returncode == 0 and
            a11y.wait("push button", "Series"))
        expect(opener is not None, "the window opened")

        keyboard = Keyboard(desktop.env, a11y)
        if journey == "accessible":
            accessible_journey(a11y, keyboard)
        else:
            keyboard_journey(a11y, keyboard)

        code = poll("the application to quit", lambda: app.poll() is not None and (app.returncode,))[0]
        expect(code == 0, f"the application quit cleanly (exit code {code})")
        with open(os.path.join(ready["storage"], "shows.json"), encoding="utf-8") as shows:
            expect(SERIES in shows.read(), f"{SERIES} is saved in shows.json")
        print(f"{journey} journey passed in {time.monotonic() - started:.1f} s")
        return 0
    except Exception as error:
        print(f"{journey} journey FAILED: {error}", file=sys.stderr)
        if not isinstance(error, JourneyFailed):
            traceback.print_exc()
        desktop.print_logs()
        if a11y is not None:
            try:
                print("Accessible tree as last seen:\n" + a11y.dump(), file=sys.stderr)
            except Exception as dump_error:
                print(f"(no tree: {dump_error})", file=sys.stderr)
        return 1
    finally:
        if services is not None and services.stdin:
            services.stdin.close()
        desktop.stop()


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # ctest's time-out still tidies up
    sys.exit(main())
