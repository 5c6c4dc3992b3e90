"""Text messages in the real main window, read and pressed through AT-SPI
under Xvfb, with the real controller, the phone simulator and a real
notification server (dunst) on a private session bus: a message the phone
announces is kept, notified and counted on the "Сообщения" tab; opening
its conversation reads it; the counter turns to UCS2 with a Cyrillic
letter; the answer typed in the compose field reaches
the phone as AT+CMGS; one the network refuses is sent again.

Usage: test_messages_atspi.py BUILD_DIR
"""

import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "main_window"))

from atspi_session import AtspiSession, find, find_all, press, private_folders, set_text, text_of, wait_for  # noqa: E402
from atspi_session import run_timed, start_dialer  # noqa: E402
from phonesim_driver import PhoneSim  # noqa: E402
from test_accessibility import Store  # noqa: E402

SENDER = "+380671234567"
TEXT = "Привет из симулятора"


def click(accessible):
    """A left click in the middle of it, as the user's mouse gives it."""
    import pyatspi
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2), "click", "1"],
                   check=True)


def sent_by(phone):
    """What the simulated network took from the phone, from its log."""
    with open(phone.log_path, encoding="utf-8", errors="replace") as log:
        return "\n".join(line for line in log.read().splitlines() if " EV sms sent " in line)


def notified(monitor_log):
    with open(monitor_log, encoding="utf-8", errors="replace") as log:
        return TEXT in log.read()


def arrives_and_is_notified(main, phone, monitor_log):
    asked = time.monotonic()
    assert phone.control("sms %s %s" % (SENDER, TEXT))
    wait_for(lambda: notified(monitor_log), 15, "the new message notified")
    print("announced -> notified: %.0f ms" % ((time.monotonic() - asked) * 1000))
    find(main, "page tab", "Сообщения (1)", timeout=10)
    print("a message from the phone is kept, notified and counted on the tab")


def read_and_answered(main, phone):
    set_text(find(main, "text", "Номер телефона"), SENDER)
    press(find(main, "push button", "Написать сообщение на этот номер"))
    find(main, "page tab", "Сообщения", timeout=10)  # opened: read, no count
    compose = find(main, "text", "Текст сообщения")
    counter = find(main, "label", "Счётчик символов")
    set_text(compose, "Answer")
    wait_for(lambda: "(GSM)" in counter.description, 5, "the counter in GSM")
    set_text(compose, "Ответ с компьютера")  # one Cyrillic letter turns the whole text into UCS2
    wait_for(lambda: "(UCS2)" in counter.description, 5, "the counter in UCS2")
    press(find(main, "push button", "Отправить"))
    assert phone.wait_for_command("AT+CMGS=", 15), phone.received()
    wait_for(lambda: "Ответ с компьютера" in sent_by(phone), 10, "the answer taken by the network")
    wait_for(lambda: text_of(compose) == "", 5, "the compose field emptied")
    print("opening the conversation reads it; the answer reaches the phone as AT+CMGS")


def failed_and_sent_again(main, phone):
    assert phone.control("sms-refuse 330")
    set_text(find(main, "text", "Текст сообщения"), "Second try")
    press(find(main, "push button", "Отправить"))
    thread = find(main, "list", "Переписка")
    failed = wait_for(lambda: next((item for item in find_all(thread, "list item", showing=False)
                                    if "неизвестен номер центра сообщений" in item.name), None), 15,
                      "the refusal's reason in the conversation")
    assert phone.control("sms-refuse off")
    click(failed)
    press(find(main, "push button", "Отправить снова", timeout=5, enabled=True))
    wait_for(lambda: "Second try" in sent_by(phone), 15, "the message sent again")
    print("a refused message is sent again")


def run(build_dir):
    root, env = private_folders("vekorra-messages-")
    store = Store(build_dir, {**os.environ, **env})
    store.set("Kestrum", "1", "port", "1")
    phone = PhoneSim(build_dir, env["VEKORRA_PORTS"], 1)
    monitor_log = os.path.join(root, "notifications.log")
    try:
        with AtspiSession() as session, open(monitor_log, "w") as log:
            from gi.repository import Atspi
            Atspi.set_timeout(3000, 20000)
            session._own(["dunst", "-config", "/dev/null"], env=session.environment({}),
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            session._own(["dbus-monitor", "--address", session.bus_address,
                          "interface='org.freedesktop.Notifications',member='Notify'"], stdout=log,
                         stderr=subprocess.DEVNULL)
            main, _ = start_dialer(session, build_dir, env)
            wait_for(lambda: store.get("Kestrum", "1", "sms_rezhim") == "pdu", 20, "messages set up on phone 1")
            arrives_and_is_notified(main, phone, monitor_log)
            read_and_answered(main, phone)
            failed_and_sent_again(main, phone)
    finally:
        phone.stop()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    run_timed(run)
