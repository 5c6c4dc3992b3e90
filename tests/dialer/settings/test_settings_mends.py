"""The settings window as a new user tries it, read through AT-SPI under
Xvfb with the real dialer, controller and phone simulators: a phone search
keeps the connected phone connected and lists it from what its controller
reports; the test call starts with an empty number and asks before an
emergency number; a retention that removes calls asks first, saying how
many, and removes them at once; every text box has a name; the window
grows.

Usage: test_settings_mends.py BUILD_DIR
"""

import os
import shutil
import sqlite3
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "main_window"))

from atspi_session import (AtspiSession, action_names, children, descendants, find, find_all,  # noqa: E402
                           press, private_folders, role, set_text, text_of, wait_for)
from atspi_session import run_timed  # noqa: E402
from phonesim_driver import PhoneSim  # noqa: E402
from test_accessibility import Store  # noqa: E402

DAY_MS = 24 * 3600 * 1000


def question(settings, text_part):
    """The dialer's question box that says text_part."""
    def look():
        for window in children(settings.getApplication()):
            if window is not None and any(text_part in (label.name or "") for label in find_all(window, "label")):
                return window
        return None
    return wait_for(look, 10, "the question " + text_part)


def search_keeps_the_phone(settings, phone, store, other):
    gmm_before = sum(1 for c in phone.received() if c.startswith("AT+GMM"))
    press(find(settings, "push button", "Поиск телефонов"))
    seen_off = []
    def done():
        if store.get("Kestrum", "1", "on_pr") != "True":
            seen_off.append(True)
        return find_all(settings, "label") and any(l.name == "Готово!" for l in find_all(settings, "label"))
    wait_for(done, 20, "the search done")
    assert not seen_off, "phone 1 went offline during the search"
    assert store.get("Kestrum", "1", "on_przv_exe") == "1"
    assert sum(1 for c in phone.received() if c.startswith("AT+GMM")) == gmm_before, phone.received()
    listed = [c.name for c in find_all(settings, "table cell", showing=False)]
    assert "PhoneSim 3000" in listed and "PhoneSim Free" in listed, listed
    assert other.received(), "the free port was not asked"
    print("a search lists the connected phone without taking it offline; free ports are asked")


def test_call_asks_first(settings, other):
    cell = find(settings, "table cell", "PhoneSim Free")
    cell.queryAction().doAction(action_names(cell).index("toggle"))  # selects the entry
    number = find(settings, "text", "Номер для проверки вызова")
    assert text_of(number) == "", "the test call number is filled in"
    set_text(number, "112")
    press(find(settings, "push button", "Позвонить"))
    press(find(question(settings, "экстренной"), "push button", "Отмена"))
    time.sleep(1)
    assert not any(c.startswith("ATD") for c in other.received()), other.received()
    print("the test call starts empty and asks before 112")


def window_grows(settings):
    import pyatspi
    # Only the page shown follows the window's size.
    press(find(settings, "page tab", "Подключение телефонов"))
    found = wait_for(lambda: [a for a in descendants(settings) if a.name == "Найденные телефоны"
                              and role(a) != "label"], 10, "the found-phones list")[0]
    def size():
        box = found.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.width, box.height
    width, height = size()
    window_id = subprocess.run(["xdotool", "search", "--name", "^Настройки программы$"], capture_output=True,
                               text=True, check=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowsize", window_id, "1400", "1000"], check=True)
    wait_for(lambda: size()[0] > width + 50 and size()[1] > height + 100, 5, "the found-phones list growing")
    print("the settings window grows and its found-phones list takes the room")


def text_boxes_named(settings):
    unnamed = [t for t in find_all(settings, "text", showing=False) if not (t.name or "").strip()]
    assert not unnamed, "%d text boxes without a name" % len(unnamed)


def retention_asks(settings, journal_path):
    press(find(settings, "page tab", "Другое"))
    days = find(settings, "spin button", "Хранить журнал звонков, дней")
    try:
        days.queryValue().currentValue = 30
    except Exception:  # the question opened inside the call: its answer came late
        pass
    press(find(question(settings, "старше 30 дн.: звонков 3, сообщений 2"), "push button", "Удалить"))
    with sqlite3.connect(journal_path) as db:
        for table in ("calls", "messages"):
            wait_for(lambda: db.execute("SELECT count(*) FROM " + table).fetchone()[0] == 1, 5, "old %s removed" % table)
    print("a retention that removes calls and messages asks first, saying how many, and removes them at once")


def old_calls(journal_path, now_ms):
    with sqlite3.connect(journal_path) as db:
        for age_days in (40, 50, 60, 1):
            start = now_ms - age_days * DAY_MS
            db.execute("INSERT INTO calls (line, model, direction, number, start_ms, last_seen_ms, end_ms, outcome)"
                       " VALUES ('1', 'X', 'in', '0671234567', ?, ?, ?, 'missed')", (start, start, start))
            if age_days != 60:
                db.execute("INSERT INTO messages (line, direction, number, conversation, text, received_ms, state)"
                           " VALUES ('1', 'in', 'Bank', 'bank', 'code', ?, 'read')", (start,))


def run(build_dir):
    root, env = private_folders("vekorra-settings-mends-")
    store = Store(build_dir, {**os.environ, **env})
    store.set("Kestrum", "1", "port", "1")
    phone = PhoneSim(build_dir, env["VEKORRA_PORTS"], 1, [])
    other = PhoneSim(build_dir, env["VEKORRA_PORTS"], 9, ["--model", "PhoneSim Free"])
    try:
        with AtspiSession() as session:
            # A press that opens a modal box answers only when the box
            # closes: wait for such answers a short time, not the default.
            from gi.repository import Atspi
            Atspi.set_timeout(3000, 20000)
            session.start([os.path.join(build_dir, "vekorra")], env)
            main = session.window("vekorra", "Vekorra")
            wait_for(lambda: store.get("Kestrum", "1", "on_pr") == "True", 20, "phone 1 connected")
            now_ms = int(time.time() * 1000)
            old_calls(env["VEKORRA_JOURNAL"], now_ms)
            press(find(main, "menu item", "Настройки"))
            settings = session.window("vekorra", "Настройки программы")
            text_boxes_named(settings)
            search_keeps_the_phone(settings, phone, store, other)
            test_call_asks_first(settings, other)
            retention_asks(settings, env["VEKORRA_JOURNAL"])
            window_grows(settings)
    finally:
        phone.stop()
        other.stop()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    run_timed(run)
