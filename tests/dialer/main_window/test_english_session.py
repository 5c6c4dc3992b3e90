"""The programs in an English session (LANG=en_US.UTF-8), read as a screen
reader reads them: every window holds no Cyrillic in a name, description
or text except data (numbers, models, names, the network's answers), and
neither do the desktop notifications at the test's notification server.

Usage: test_english_session.py BUILD_DIR NOTIFICATION_SERVER
"""

import json
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))

from atspi_session import (AtspiSession, descendants, find, find_all, press,  # noqa: E402
                           private_folders, set_text, text_of, wait_for)
from atspi_session import run_timed, start_dialer  # noqa: E402
from phonesim_driver import PhoneSim  # noqa: E402
import pyatspi  # noqa: E402

NUMBER = "0501234567"
CALLER = "0671112233"
CYRILLIC = re.compile("[\u0400-\u04FF]")
# Data that may be Cyrillic: the development folder a controller runs
# from, and a language's own name among the language choices.
DATA = {"Проект", "Русский"}


def texts_of(accessible):
    """Everything a screen reader says of one object."""
    texts = [accessible.name or "", accessible.description or ""]
    try:
        texts.append(text_of(accessible))
    except NotImplementedError:
        pass
    return texts


def cyrillic_in(window, skip=()):
    """The Cyrillic texts of a window and everything in it, hidden parts
    (other tabs) included; objects named in `skip` hold data."""
    found = []
    for accessible in [window, *descendants(window)]:
        try:
            if accessible.name in skip:
                continue
            found += [text for text in texts_of(accessible) if CYRILLIC.search(text) and text not in DATA]
        except Exception:  # went away while read
            pass
    return found


def check(window, what, skip=()):
    found = cyrillic_in(window, skip)
    if found:
        raise AssertionError("%s holds Russian:\n  %s" % (what, "\n  ".join(sorted(set(found)))))
    print("%s: English only" % what)


def closed(session, app, title):
    try:
        session.window(app, title, timeout=0.2)
        return False
    except AssertionError:
        return True


def open_window(session, opener, app, title, what, skip=()):
    press(opener)
    window = session.window(app, title)
    check(window, what, skip)
    return window


def main_window_windows(session, build_dir, env, phone):
    main, display = start_dialer(session, build_dir, env, "Display: Phone 1")
    set_text(find(main, "text", "Phone number"), NUMBER)
    press(find(main, "push button", "Call"))
    hang_up = find(main, "push button", "Hang up", timeout=10, enabled=True)
    # The controller's "Разг. / (Исх. вызов)", as the display shows it.
    wait_for(lambda: "Talk / (Outgoing) " + NUMBER in text_of(display), 10, "the active call on the display")
    check(main, "the main window in a call")

    keypad_button = wait_for(lambda: [b for b in find_all(main, "push button") if b.name == "Tone dialling"
                                      and b.getState().contains(pyatspi.STATE_ENABLED)], 10, "the keypad")
    keypad = open_window(session, keypad_button[0], "vekorra", "Tone dialling: Phone 1", "the keypad")
    press(hang_up)
    wait_for(lambda: NUMBER not in text_of(display), 10, "the call gone")
    wait_for(lambda: closed(session, "vekorra", keypad.name), 5, "the keypad closed")

    # A call missed: its notification, and the journal's rows.
    phone.control("incoming " + CALLER)
    # Offered (enabled) only while the call rings.
    find(main, "push button", "Answer", timeout=10, enabled=True)
    phone.control("hangup")
    press(find(main, "page tab", "Call journal"))
    wait_for(lambda: find_all(main, "table cell", showing=False), 10, "the journal's rows")
    check(main, "the main window with the journal")
    messages = wait_for(lambda: [t for t in find_all(main, "page tab", showing=False) if t.name.startswith("Messages")],
                        10, "the messages tab")
    press(messages[0])
    check(main, "the main window with the messages")

    settings = open_window(session, find(main, "menu item", "Settings"), "vekorra", "Program settings",
                           "the settings window")
    for tab in ("Phone connection", "Call rules", "Other"):
        press(find(settings, "page tab", tab))
        check(settings, "the settings tab " + tab)
    press(find(settings, "push button", "Close"))
    wait_for(lambda: closed(session, "vekorra", "Program settings"), 5, "the settings closed")

    ussd = open_window(session, find(main, "menu item", "USSD request…", showing=False), "vekorra",
                       "USSD request", "the USSD dialog")
    press(find(ussd, "push button", "Close"))
    return main


def plug_offer(build_dir, env, main):
    plugged = PhoneSim(build_dir, env["VEKORRA_PORTS"], 5, ["--model", "PhoneSim Plug"])
    try:
        device = os.path.realpath(plugged.link)[len("/dev/"):]
        find(main, "label", "Phone PhoneSim Plug plugged in (%s)" % device)
        check(main, "the main window with the offer of a phone plugged in")
        press(find(main, "push button", "Do not connect"))
    finally:
        plugged.stop()


def controller_windows(session, build_dir, env, root):
    # A development copy beside the catalogs, as the slot folders lie.
    folder = os.path.join(root, "Проект")
    os.mkdir(folder)
    shutil.copy2(os.path.join(build_dir, "1", "kestrum"), folder)
    shutil.copytree(os.path.join(build_dir, "translations"), os.path.join(root, "translations"),
                    ignore=shutil.ignore_patterns("*.cmake", "*.lst", "CMakeFiles", "Makefile"))
    session.start([os.path.join(folder, "kestrum")], env)
    controller = session.window("kestrum", "Kestrum phone")
    check(controller, "the controller window")
    open_window(session, find(controller, "push button", "Dial a number"), "kestrum", "Dialling",
                "the controller's dial window")


def notifications(log_path):
    """Summaries, bodies and action labels the dialer sent."""
    texts = []
    with open(log_path, encoding="utf-8") as log:
        for line in log:
            entry = json.loads(line)
            if entry.get("call") != "Notify":
                continue
            actions = entry.get("actions", [])
            texts += [entry.get("summary", ""), entry.get("body", "")] + actions[1::2]
    return texts


def run(build_dir, notification_server):
    root, env = private_folders("vekorra-english-")
    log_path = os.path.join(root, "notifications.log")
    env.update({
        "XDG_DATA_HOME": os.path.join(root, "data"),
        "LANG": "en_US.UTF-8", "LANGUAGE": "", "LC_ALL": "", "LC_MESSAGES": "",
    })
    subprocess.run([os.path.join(build_dir, "vekorra-settings"), "set", "Kestrum", "1", "port", "1"],
                   env={**os.environ, **env}, check=True)
    phone = PhoneSim(build_dir, env["VEKORRA_PORTS"], 1, ["--auto-answer", "300"])
    try:
        with AtspiSession() as session:
            session.start([notification_server, "--log", log_path])
            main = main_window_windows(session, build_dir, env, phone)
            plug_offer(build_dir, env, main)
            controller_windows(session, build_dir, env, root)
            sent = wait_for(lambda: [t for t in notifications(log_path) if t.startswith("Missed call")]
                            and notifications(log_path), 10, "the missed call's notification")
            russian = [text for text in sent if CYRILLIC.search(text)]
            if russian:
                raise AssertionError("notifications hold Russian:\n  %s" % "\n  ".join(russian))
            print("notifications: English only (%d texts)" % len(sent))
    finally:
        phone.stop()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    run_timed(run)
