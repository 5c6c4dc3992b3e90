"""Windows read as a screen reader reads them: an X server and a D-Bus
session of the test's own, the accessibility bus on it, and the programs'
windows walked through AT-SPI (python3-pyatspi).

    with AtspiSession() as session:
        dialer = session.start([build + "/vekorra"], env)
        window = session.window("vekorra", "Vekorra")
        assert not button_faults(window)
        press(find(window, "push button", "Позвонить"))

pyatspi is imported only once the session's bus is set, in this process's
environment, so that it talks to that bus and to no desktop's.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

# Roles of the controls a user presses, switches or picks.
CONTROL_ROLES = {
    "push button", "toggle button", "check box", "radio button", "menu item",
    "menu", "page tab", "combo box", "link",
}
# Roles that show something and are never pressed.
PICTURE_ROLES = {"image", "icon", "label", "filler", "panel", "unknown"}


def wait_for(condition, timeout, what):
    """Polls condition until it gives a true value, which is returned; fails
    the test with `what` after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = condition()
        except Exception:  # a window going away under a query
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def private_folders(prefix, journal=True):
    """A temporary root with the ports and runtime folders of one test's
    programs, and the environment that points them there (the store, the
    journal and the ports kept apart from the user's own)."""
    root = tempfile.mkdtemp(prefix=prefix)
    runtime = os.path.join(root, "run")
    os.makedirs(os.path.join(root, "ports"))
    os.makedirs(runtime, mode=0o700)
    env = {
        "VEKORRA_SETTINGS": os.path.join(root, "settings.sqlite"),
        "VEKORRA_PORTS": os.path.join(root, "ports"),
        "XDG_RUNTIME_DIR": runtime,
        "QT_LOGGING_RULES": "*.debug=false",
    }
    if journal:
        env["VEKORRA_JOURNAL"] = os.path.join(root, "journal.sqlite")
    return root, env


class AtspiSession:
    """Xvfb on a display it picks itself, a private session bus with the
    accessibility bus launcher on it, and the programs started in it. All
    of them end with the session."""

    def __init__(self):
        self.processes = []
        self.display = None
        self.bus_address = None

    def __enter__(self):
        self._start_x()
        self._start_bus()
        os.environ["DISPLAY"] = self.display
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.bus_address
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        self._own([BUS_LAUNCHER, "--launch-immediately"], stderr=subprocess.DEVNULL)
        global pyatspi, Atspi
        import pyatspi  # noqa: F401  (needs the bus set above)
        from gi.repository import Atspi
        wait_for(lambda: pyatspi.Registry.getDesktop(0) is not None, 10, "the accessibility bus")
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
        for process in reversed(self.processes):
            try:
                process.wait(timeout=3)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        return False

    def _own(self, command, env=None, **options):
        process = subprocess.Popen(command, env=env, **options)
        self.processes.append(process)
        return process

    def _start_x(self):
        read_end, write_end = os.pipe()
        self._own([shutil.which("Xvfb") or "Xvfb", "-displayfd", str(write_end), "-screen", "0",
                   "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write_end,),
                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise AssertionError("Xvfb did not start")
        self.display = ":" + number

    def _start_bus(self):
        bus = self._own(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.bus_address = bus.stdout.readline().strip()
        if not self.bus_address:
            raise AssertionError("dbus-daemon did not start")

    def environment(self, extra):
        """The environment of a program under test: the session's display
        and bus, Qt's accessibility switched on, plus `extra`."""
        env = dict(os.environ)
        env.update({
            "DISPLAY": self.display,
            "DBUS_SESSION_BUS_ADDRESS": self.bus_address,
            "QT_QPA_PLATFORM": "xcb",
            "QT_ACCESSIBILITY": "1",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        })
        env.update(extra)
        return env

    def start(self, command, extra_env=None):
        """Starts a program in the session; it is ended with the session."""
        return self._own(command, env=self.environment(extra_env or {}))

    def window(self, app_name, title, timeout=20):
        """The showing top-level window `title` of a running application
        `app_name` (the program's file name)."""
        def showing():
            for app in children(pyatspi.Registry.getDesktop(0)):
                if app is None or app.name != app_name:
                    continue
                # Read afresh every time: windows change under the test.
                app.set_cache_mask(Atspi.Cache.NONE)
                for window in children(app):
                    if window is not None and window.name == title and is_showing(window):
                        return window
            return None
        return wait_for(showing, timeout, "window %r of %s" % (title, app_name))


def children(accessible):
    result = []
    try:
        count = accessible.childCount
    except Exception:  # went away meanwhile
        return result
    for index in range(count):
        try:
            result.append(accessible.getChildAtIndex(index))
        except Exception:
            pass  # went away meanwhile
    return result


def descendants(accessible):
    """Every object below `accessible`, hidden ones included."""
    for child in children(accessible):
        if child is None:
            continue
        yield child
        yield from descendants(child)


def role(accessible):
    return accessible.getRoleName()


def is_showing(accessible):
    return accessible.getState().contains(pyatspi.STATE_SHOWING)


def action_names(accessible):
    try:
        action = accessible.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(index).lower() for index in range(action.nActions)]


def find(root, role_name, name, showing=True, timeout=10, enabled=False):
    """The object below root with this role and name (showing, unless told
    otherwise; enabled when asked: a disabled button of the same name may
    stand in its place); waits for it to come."""
    def look():
        for accessible in descendants(root):
            if role(accessible) == role_name and accessible.name == name \
                    and (not showing or is_showing(accessible)) \
                    and (not enabled or accessible.getState().contains(pyatspi.STATE_ENABLED)):
                return accessible
        return None
    return wait_for(look, timeout, "%s %r" % (role_name, name))


def find_all(root, role_name, showing=True):
    def matches(accessible):
        try:
            return role(accessible) == role_name and (not showing or is_showing(accessible))
        except Exception:  # went away meanwhile (the journal's rows, refreshed)
            return False
    return [a for a in descendants(root) if matches(a)]


def text_of(accessible):
    """What a text control shows, through the text interface."""
    text = accessible.queryText()
    return text.getText(0, text.characterCount)


def set_text(accessible, value):
    accessible.queryEditableText().setTextContents(value)


def press(accessible):
    """Presses a control through its "press" action, as a screen reader's
    user does. A press that opens a modal window answers only once that
    window closes: the call then times out, which is no failure."""
    names = action_names(accessible)
    if "press" not in names:
        raise AssertionError("%s %r has no press action (%s)" % (role(accessible), accessible.name, names))
    try:
        accessible.queryAction().doAction(names.index("press"))
    except Exception as failure:  # GLib.Error: the answer came too late
        if "timeout" not in str(failure).lower() and "timed out" not in str(failure).lower():
            raise


def button_faults(window):
    """What a screen reader's user would miss in the window: controls
    without a name, things that can be pressed but do not say they are
    buttons, and pictures without a name (or named only after their frame).
    An empty list when the window reads well."""
    faults = []
    for accessible in descendants(window):
        try:
            kind = role(accessible)
            name = (accessible.name or "").strip()
            where = "%s %r in %r" % (kind, name, (accessible.parent.name if accessible.parent else ""))
        except Exception:  # went away meanwhile (a repainted display's parts)
            continue
        if kind in CONTROL_ROLES and not name:
            faults.append("no name: " + where)
        if kind in PICTURE_ROLES and "press" in action_names(accessible):
            faults.append("pressable but not a button: " + where)
        if kind in {"image", "icon"} and (not name or name == (accessible.parent.name or "")):
            faults.append("picture without a name of its own: " + where)
    return faults


def start_dialer(session, build_dir, env, display_name="Экран: Телефон 1"):
    """Starts the dialer; returns its main window and phone 1's display once
    phone 1 (the simulator) is connected."""
    session.start([os.path.join(build_dir, "vekorra")], env)
    main = session.window("vekorra", "Vekorra")
    display = find(main, "text", display_name)
    wait_for(lambda: "PhoneSim 3000" in text_of(display), 20, "phone 1 connected")
    return main, display


def run_timed(run):
    """A window test's command line: run(build_dir, ...), then the time it took."""
    started = time.monotonic()
    try:
        run(*sys.argv[1:])
    except Exception as failure:
        # First, in one line: a long log is cut in the middle, and the
        # traceback comes last.
        summary = " | ".join(str(failure).splitlines()[:4]) or repr(failure)
        print("FAILED after %.1f s: %s" % (time.monotonic() - started, summary), flush=True)
        raise
    print("%.1f s" % (time.monotonic() - started))
