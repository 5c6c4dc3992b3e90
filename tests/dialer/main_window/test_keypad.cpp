// The tone keypad in a real main window (offscreen): the frame's keypad
// button follows the slot's active call, the keypad's keys, typed digits
// and the shown tones reach the blackboard's `dtmf`, and the keypad leaves
// with the call.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "tests/support/message_recorder.h"
#include "dialer/main_window/form_port.h"
#include "recording_seams.h"
#include "settings_store/settings_store.h"
#include "test_env.h"

using main_window::CallButton;
using main_window::SkinRole;

namespace {

void put(const QString& key, const QString& value) { write_setting("Kestrum", "1", key, value); }
QString dtmf() { return read_setting("Kestrum", "1", "dtmf", QString()); }

// Phone 1 as its controller publishes it.
void publish_call(bool active)
{
    put("on_pr", "True");
    put("status", active ? "@Разг. / (Исх. вызов)@@@@@" : "Набор номера....@@@@@@");
    put("zvonok", "@0501234567@@@@@");
    put("knopki_zv", active ? "0@0@0@0@1@0@0@0@0@0@1" : "0@0@0@0@1@0@0@0@0@0@0");
}

void publish_no_call()
{
    put("status", "@@@@@@");
    put("zvonok", "@@@@@@");
    put("knopki_zv", "0@0@0@0@0@0@0@0@0@0@0");
}

struct Window {
    TestEnv env;
    LauncherScope launcher;
    MessageRecorder messages;
    std::unique_ptr<FormPort> form;

    Window()
    {
        form = std::make_unique<FormPort>(TestEnv::build_dir());
        form->start_up();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    PhoneFrame* frame() const { return form->frame(1); }
    SkinButton* keypad_button() const { return frame()->keypad_button(); }
};

}  // namespace

class TestKeypad : public QObject {
    Q_OBJECT

private slots:
    void keypad_button_follows_the_active_call();
    void keys_and_typed_digits_append_tones_and_show_them();
    void keyboard_reaches_the_keypad();
};

void TestKeypad::keypad_button_follows_the_active_call()
{
    Window w;
    SkinButton* keypad = w.keypad_button();
    QCOMPARE(keypad->accessibleName(), QStringLiteral("Тоновый набор"));
    QVERIFY(!keypad->isEnabled());
    QCOMPARE(keypad->shown_role(), SkinRole::Inactive);
    publish_call(false);  // dialling: no tones yet
    QTest::qWait(300);
    QVERIFY(!keypad->isEnabled());
    publish_call(true);
    QTRY_VERIFY(keypad->isEnabled());
    QCOMPARE(keypad->shown_role(), SkinRole::Normal);
    // Beside the call buttons, clear of the display and of every button.
    const QRect place = keypad->geometry();
    QCOMPARE(place.size(), QSize(49, 28));
    QVERIFY(!place.intersects(w.frame()->ekran()->geometry()));
    for (int field = 0; field < main_window::kCallButtonCount; ++field)
        QVERIFY(!place.intersects(w.frame()->button(main_window::call_button(field))->geometry()));
    QVERIFY(w.frame()->rect().contains(place));

    QTest::mouseClick(keypad, Qt::LeftButton, {}, QPoint(20, 10));
    QTRY_VERIFY(w.frame()->keypad_window() && w.frame()->keypad_window()->isVisible());
    QPointer<KeypadWindow> window = w.frame()->keypad_window();
    QCOMPARE(window->windowTitle(), QStringLiteral("Тоновый набор: Телефон 1"));
    // A second press brings the same window forward.
    QTest::mouseClick(keypad, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(w.frame()->keypad_window(), window.data());

    publish_no_call();
    QTRY_VERIFY(!window);
    QVERIFY(!keypad->isEnabled());
    QCOMPARE(keypad->shown_role(), SkinRole::Inactive);
}

void TestKeypad::keys_and_typed_digits_append_tones_and_show_them()
{
    Window w;
    publish_call(true);
    QTRY_VERIFY(w.keypad_button()->isEnabled());
    w.keypad_button()->click();
    KeypadWindow* window = w.frame()->keypad_window();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));

    // The usual grid: 1 2 3 / 4 5 6 / 7 8 9 / * 0 #.
    const QString rows[] = {"123", "456", "789", "*0#"};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            QPushButton* key = window->key_button(rows[row][column]);
            QVERIFY(key);
            QCOMPARE(key->text(), QString(rows[row][column]));
            QVERIFY(key->accessibleName().startsWith(QStringLiteral("Тон ")));
            if (column > 0)
                QVERIFY(key->x() > window->key_button(rows[row][column - 1])->x());
            if (row > 0)
                QVERIFY(key->y() > window->key_button(rows[row - 1][column])->y());
        }
    }

    QTest::mouseClick(window->key_button('5'), Qt::LeftButton);
    QCOMPARE(dtmf(), QStringLiteral("5"));
    window->activateWindow();
    QTest::keyClicks(window, QStringLiteral("0#x*9A"));
    QTRY_COMPARE(dtmf(), QStringLiteral("50#*9"));
    QCOMPARE(window->sent(), QStringLiteral("50#*9"));
    // The controller takes the key; the window still shows what went.
    QCOMPARE(take_setting("Kestrum", "1", "dtmf", QString(), true), QStringLiteral("50#*9"));
    QTest::mouseClick(window->key_button('#'), Qt::LeftButton);
    QCOMPARE(dtmf(), QStringLiteral("#"));
    QCOMPARE(window->sent(), QStringLiteral("50#*9#"));
    QVERIFY(w.messages.texts.isEmpty());
}

void TestKeypad::keyboard_reaches_the_keypad()
{
    Window w;
    publish_call(true);
    QTRY_VERIFY(w.keypad_button()->isEnabled());
    // Tab goes from the last call button to the keypad button.
    SkinButton* last = w.frame()->button(CallButton::kf_dob_k);
    QTRY_VERIFY(last->isVisible());
    w.form->activateWindow();
    last->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), last);
    QTest::keyClick(last, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.keypad_button());
    QTest::keyClick(w.keypad_button(), Qt::Key_Return);
    QTRY_VERIFY(w.frame()->keypad_window());
    KeypadWindow* window = w.frame()->keypad_window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // Space on a focused key presses it; Escape closes the keypad.
    QPushButton* seven = window->key_button('7');
    seven->setFocus(Qt::TabFocusReason);
    QTest::keyClick(seven, Qt::Key_Space);
    QCOMPARE(dtmf(), QStringLiteral("7"));
    QTest::keyClick(window, Qt::Key_Escape);
    QTRY_VERIFY(!w.frame()->keypad_window());
}

QTEST_MAIN(TestKeypad)
#include "test_keypad.moc"
