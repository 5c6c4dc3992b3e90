"""The windows as a screen reader reads them (AT-SPI under Xvfb, a private
D-Bus session): the main window with a call on phone 1 and its tone
keypad, the settings window, the offer of a phone plugged in, a controller
window and its dial window. Every button is a button with a name, the phone
display and the offer can be read, and a button pressed through AT-SPI does
what it says.

Usage: test_accessibility.py BUILD_DIR
"""

import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))

from atspi_session import (AtspiSession, button_faults, find, find_all, press,  # noqa: E402
                           private_folders, set_text, text_of, wait_for)
from atspi_session import run_timed  # noqa: E402
from phonesim_driver import PhoneSim  # noqa: E402
import pyatspi  # noqa: E402

NUMBER = "0501234567"


def check_window(window, what, buttons):
    """Fails on what a screen reader's user would miss, and when fewer than
    `buttons` push buttons are read at all."""
    faults = button_faults(window)
    if faults:
        raise AssertionError("%s reads badly:\n  %s" % (what, "\n  ".join(faults)))
    found = find_all(window, "push button", showing=False)
    if len(found) < buttons:
        raise AssertionError("%s: %d push buttons read, expected %d or more: %s"
                             % (what, len(found), buttons, [b.name for b in found]))
    print("%s: %d push buttons, all named" % (what, len(found)))


class Store:
    """The test's settings store, through vekorra-settings."""

    def __init__(self, build_dir, env):
        self.tool = os.path.join(build_dir, "vekorra-settings")
        self.env = env

    def set(self, app, section, key, value):
        subprocess.run([self.tool, "set", app, section, key, value], env=self.env, check=True)

    def get(self, app, section, key):
        return subprocess.run([self.tool, "get", app, section, key], env=self.env, check=True,
                              capture_output=True, text=True).stdout.rstrip("\n")


def main_window_with_a_call(session, build_dir, env, phone):
    dialer = session.start([os.path.join(build_dir, "vekorra")], env)
    main = session.window("vekorra", "Vekorra")
    display = find(main, "text", "Экран: Телефон 1")
    wait_for(lambda: "PhoneSim 3000" in text_of(display), 20, "phone 1 connected")

    set_text(find(main, "text", "Номер телефона"), NUMBER)
    press(find(main, "push button", "Позвонить"))
    assert phone.wait_for_command("ATD" + NUMBER + ";", 10), phone.received()
    hang_up = find(main, "push button", "Положить трубку", timeout=10, enabled=True)
    wait_for(lambda: NUMBER in text_of(display), 10, "the call on the display")
    # The call button, the update link, the eleven skinned buttons and the
    # keypad button of each of the four phones.
    check_window(main, "the main window in a call", 2 + 4 * 12)
    keypad = tone_keypad(session, main, phone)

    press(hang_up)
    assert phone.wait_for_command("AT+CHUP", 5), phone.received()
    wait_for(lambda: NUMBER not in text_of(display), 10, "the call gone from the display")
    wait_for(lambda: not is_open(keypad), 5, "the keypad closed with the call")
    return dialer, main


def enabled(accessible):
    return accessible.getState().contains(pyatspi.STATE_ENABLED)


def is_open(window):
    try:
        return window.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:  # gone from the bus
        return False


def tone_keypad(session, main, phone):
    """Phone 1's keypad button, usable once the call is active, opens the
    keypad; a key pressed there reaches the phone as a tone."""
    def usable_keypad_button():
        usable = [b for b in find_all(main, "push button") if b.name == "Тоновый набор" and enabled(b)]
        return usable[0] if usable else None
    press(wait_for(usable_keypad_button, 10, "the keypad button usable during the call"))
    keypad = session.window("vekorra", "Тоновый набор: Телефон 1")
    # Twelve keys and "Закрыть".
    check_window(keypad, "the keypad", 13)
    press(find(keypad, "push button", "Тон 5"))
    assert phone.wait_for_command("AT+VTS=5", 5), phone.received()
    wait_for(lambda: text_of(find(keypad, "text", "Отправленные тоны")) == "5", 5, "the tone shown as sent")
    return keypad


def settings_window(session, main):
    press(find(main, "menu item", "Настройки"))
    settings = session.window("vekorra", "Настройки программы")
    check_window(settings, "the settings window", 9)
    press(find(settings, "push button", "Закрыть"))
    wait_for(lambda: not find_showing(session, "vekorra", "Настройки программы"), 5,
             "the settings window closed")


def plugged_phone_offer(build_dir, env, main, store):
    """A phone plugged in is offered in the main window; "Подключить"
    pressed through AT-SPI gives it phone 2 and its controller connects."""
    plugged = PhoneSim(build_dir, env["VEKORRA_PORTS"], 5, ["--model", "PhoneSim Plug"])
    try:
        device = os.path.realpath(plugged.link)[len("/dev/"):]
        find(main, "label", "Подключён телефон PhoneSim Plug (%s)" % device)
        # A combo box reads as its choice; its label says what it chooses.
        find(main, "label", "Подключить как")
        find(main, "combo box", "Телефон 2")
        find(main, "combo box", "GSM телефон")
        check_window(main, "the main window with an offer", 2 + 4 * 12 + 2)
        press(find(main, "push button", "Подключить"))
        wait_for(lambda: store.get("Kestrum", "2", "port") == "5", 5, "phone 2 given port 5")
        assert plugged.wait_for_command("AT+CLCC", 20), plugged.received()
        print("the offer of a phone plugged in reads well; accepted, its controller connected")
    finally:
        plugged.stop()


def find_showing(session, app, title):
    try:
        return session.window(app, title, timeout=0.2)
    except AssertionError:
        return None


def controller_windows(session, build_dir, env, root):
    # A copy in a folder named "Проект" shows its window.
    folder = os.path.join(root, "Проект")
    os.mkdir(folder)
    shutil.copy2(os.path.join(build_dir, "1", "kestrum"), folder)
    session.start([os.path.join(folder, "kestrum")], env)
    controller = session.window("kestrum", "Телефонный Kestrum")
    check_window(controller, "the controller window", 15)

    press(find(controller, "push button", "Набрать номер"))
    dial = session.window("kestrum", "Набор номера")
    check_window(dial, "the dial window", 2)
    press(find(dial, "push button", "Отмена"))
    wait_for(lambda: not find_showing(session, "kestrum", "Набор номера"), 5, "the dial window closed")


def run(build_dir):
    root, env = private_folders("vekorra-a11y-", journal=False)
    store = Store(build_dir, {**os.environ, **env})
    store.set("Kestrum", "1", "port", "1")
    phone = PhoneSim(build_dir, env["VEKORRA_PORTS"], 1, ["--auto-answer", "300"])
    try:
        with AtspiSession() as session:
            dialer, main = main_window_with_a_call(session, build_dir, env, phone)
            settings_window(session, main)
            plugged_phone_offer(build_dir, env, main, store)
            controller_windows(session, build_dir, env, root)
            dialer.terminate()
            dialer.wait(timeout=5)
            # The dialer's end withdraws controller 1's permission; it ends
            # within a second.
            wait_for(lambda: store.get("Kestrum", "1", "on_pr_exe") == "0", 5, "controller 1 ended")
    finally:
        phone.stop()
        shutil.rmtree(root, ignore_errors=True)
    print("windows read well; a tone and the hang-up pressed through AT-SPI reached the phone")


if __name__ == "__main__":
    run_timed(run)
