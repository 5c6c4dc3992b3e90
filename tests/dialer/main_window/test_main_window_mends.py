"""The main window as a new user tries it, read through AT-SPI under Xvfb
with the real dialer, controller and phone simulator: one window per user
(a second start and a hand-over go to it, also after "Разорвать связь"),
the connect commands enabled by state, a call's running talk time on the
display and in its journal row, the journal's search by digits typed with
blanks and its "nothing found", a disabled call button read as a disabled
button, no update link in a build without an address, and a window that
grows with the journal taking the room.

Usage: test_main_window_mends.py BUILD_DIR
"""

import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "support"))
sys.path.insert(0, HERE)

from atspi_session import AtspiSession, find, find_all, press, private_folders, set_text, text_of, wait_for  # noqa: E402
from atspi_session import run_timed, start_dialer  # noqa: E402
from phonesim_driver import PhoneSim  # noqa: E402
from test_accessibility import Store, enabled  # noqa: E402

NUMBER = "0501234567"
TALK_TIME = re.compile(NUMBER + r"\s+\d+:\d\d")


def vekorra_apps(pyatspi):
    return [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "vekorra"]


def extents(accessible):
    import pyatspi
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.width, box.height


def close_message(pyatspi, text_part):
    """Closes with OK the dialer's message box that says text_part."""
    def box():
        for app in vekorra_apps(pyatspi):
            for window in find_all(app, "dialog") + find_all(app, "alert"):
                if any(text_part in (label.name or "") for label in find_all(window, "label")):
                    return window
        return None
    press(find(wait_for(box, 10, "the message " + text_part), "push button", "OK"))
    wait_for(lambda: box() is None, 5, "the message closed")


def one_window_per_user(session, build_dir, env, main, phone, store):
    import pyatspi
    connect = find(main, "menu item", "Подключиться", showing=False)
    disconnect = find(main, "menu item", "Разорвать связь", showing=False)
    assert not enabled(connect) and enabled(disconnect), "connected: only 'Разорвать связь' can act"
    press(disconnect)
    wait_for(lambda: store.get("Kestrum", "1", "on_przv_exe") == "0", 5, "the permission withdrawn")
    wait_for(lambda: enabled(connect) and not enabled(disconnect), 5, "only 'Подключиться' can act")

    # "Позвонить" now says why nothing happens; no second dialer starts.
    set_text(find(main, "text", "Номер телефона"), NUMBER)
    press(find(main, "push button", "Позвонить"))
    close_message(pyatspi, "Телефоны отключены: Связь → Подключиться")
    # A second start and a hand-over go to the running window.
    starter = subprocess.run([os.path.join(build_dir, "vekorra")], env=session.environment(env), timeout=10)
    assert starter.returncode == 0
    hand_over = subprocess.run([os.path.join(build_dir, "vekorra"), NUMBER], env=session.environment(env),
                               timeout=10)
    assert hand_over.returncode == 0
    close_message(pyatspi, "Телефоны отключены: Связь → Подключиться")
    time.sleep(1)
    assert len(vekorra_apps(pyatspi)) == 1, "a second dialer was started"
    assert not any(c.startswith("ATD") for c in phone.received()), phone.received()

    press(connect)
    wait_for(lambda: store.get("Kestrum", "1", "on_pr") == "True", 20, "phone 1 connected again")
    subprocess.run([os.path.join(build_dir, "vekorra"), NUMBER], env=session.environment(env), timeout=10,
                   check=True)
    assert phone.wait_for_command("ATD" + NUMBER + ";", 10), phone.received()
    assert len(vekorra_apps(pyatspi)) == 1
    print("one main window: disconnected dials refused with the reason, hand-overs reach it")


def running_call(main, phone):
    display = find(main, "text", "Экран: Телефон 1")
    wait_for(lambda: TALK_TIME.search(text_of(display)), 10, "the talk time on the display")
    first = TALK_TIME.search(text_of(display)).group(0)
    wait_for(lambda: TALK_TIME.search(text_of(display)).group(0) != first, 5, "the talk time moving on")

    def journal_duration():
        cells = [c.name for c in find_all(main, "table cell")]
        return any(re.fullmatch(r"0:0[1-9]|0:[1-5]\d", name or "") for name in cells)
    wait_for(journal_duration, 10, "the journal row's running talk time")
    press(find(main, "push button", "Положить трубку"))
    assert phone.wait_for_command("AT+CHUP", 5), phone.received()
    print("a call's talk time runs on the display and in its journal row")


def journal_search(main):
    search = find(main, "text", "Поиск по номеру или имени")
    set_text(search, NUMBER[:3] + " " + NUMBER[3:6] + "-" + NUMBER[6:])
    wait_for(lambda: any(c.name == NUMBER for c in find_all(main, "table cell")), 5,
             "the number found from digits typed with a blank and a dash")
    set_text(search, "999 999")
    find(main, "label", "Ничего не найдено", timeout=5)
    set_text(search, "")
    wait_for(lambda: not find_all(main, "label") or all(
        label.name != "Ничего не найдено" for label in find_all(main, "label")), 5, "the notice gone")
    print("the journal finds digits typed with blanks and says when nothing is found")


def buttons_and_link(main):
    answer = [b for b in find_all(main, "push button") if b.name == "Ответить"]
    assert answer and not any(enabled(b) for b in answer), "'Ответить' is not a disabled button"
    names = [a.name for a in find_all(main, "image", showing=False)]
    assert not any("недоступно" in (n or "") for n in names), names
    assert not [b for b in find_all(main, "push button") if b.name == "Проверить обновление"]
    print("an unavailable call button reads as a disabled button; no update link without an address")


def window_grows(main):
    table = find(main, "table", "Журнал звонков")
    width, height = extents(table)
    window_id = subprocess.run(["xdotool", "search", "--name", "^Vekorra$"], capture_output=True, text=True,
                               check=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowsize", window_id, "1100", "900"], check=True)
    wait_for(lambda: extents(table)[0] > width + 300 and extents(table)[1] > height + 300, 5,
             "the journal taking the room the window grew by")
    print("the window grows and the journal takes the room")


def run(build_dir):
    root, env = private_folders("vekorra-mends-")
    store = Store(build_dir, {**os.environ, **env})
    store.set("Kestrum", "1", "port", "1")
    phone = PhoneSim(build_dir, env["VEKORRA_PORTS"], 1, ["--auto-answer", "300"])
    try:
        with AtspiSession() as session:
            # A press that opens a modal box answers only when the box
            # closes: wait for such answers a short time, not the default.
            from gi.repository import Atspi
            Atspi.set_timeout(3000, 20000)
            main, _ = start_dialer(session, build_dir, env)
            buttons_and_link(main)
            window_grows(main)
            one_window_per_user(session, build_dir, env, main, phone, store)
            running_call(main, phone)
            journal_search(main)
    finally:
        phone.stop()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    run_timed(run)
