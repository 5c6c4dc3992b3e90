// The controller's window shows the engines' view and turns its buttons
// into the controller's flags, which the next engine tick sends to the
// phone; the dial window hands a typed number to the engine; the About
// window ends with OK.
#include <QtTest>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "controller/dial_window.h"
#include "controller/form_port.h"
#include "controller_fixture.h"
#include "tests/support/held_port.h"

namespace {
QPushButton* button(QWidget& window, const QString& caption)
{
    for (QPushButton* candidate : window.findChildren<QPushButton*>())
        if (candidate->text() == caption)
            return candidate;
    return nullptr;
}

QPushButton* named(QWidget& window, const char* name)
{
    auto* found = window.findChild<QPushButton*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no button %s", name);
    return found;
}

QLabel* prompt_of(kestrum::DialWindow& dial)
{
    return dial.findChildren<QLabel*>().first();
}

// Clicks `name` in the main window and runs `inside` once the dial window
// it opens modally is on screen; returns the dial window.
kestrum::DialWindow* with_dial_window(QWidget& window, const char* name,
                                      const std::function<void(kestrum::DialWindow&)>& inside)
{
    bool ran = false;
    QTimer::singleShot(0, &window, [&] {
        auto* dial = window.findChild<kestrum::DialWindow*>();
        QVERIFY(dial && dial->isVisible());
        QCOMPARE(dial->windowTitle(), QStringLiteral("Набор номера"));
        QVERIFY(dial->isModal());
        inside(*dial);
        ran = true;
        if (dial->isVisible())
            qFatal("the dial window stayed open");
    });
    named(window, name)->click();
    if (!ran)
        qFatal("the dial window did not open");
    return window.findChild<kestrum::DialWindow*>();
}

bool shows_text(QWidget& window, const QString& text)
{
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->text() == text && label->isVisible())
            return true;
    return false;
}
}  // namespace

class TestControllerWindow : public QObject {
    Q_OBJECT

private slots:
    void connect_and_disconnect_drive_the_engine_timer();
    void disconnect_inside_an_engine_pump_ends_the_link_data();
    void disconnect_inside_an_engine_pump_ends_the_link();
    void buttons_and_call_rows_keep_their_places();
    void enter_presses_the_focused_button();
    void window_shows_a_call_and_the_lists();
    void a_port_another_program_holds_is_named();
    void each_button_sends_its_command_at_the_next_tick_data();
    void each_button_sends_its_command_at_the_next_tick();
    void cdma_reject_sets_the_flag_and_sends_nothing();
    void dial_window_dials_the_text_as_typed();
    void dial_window_cancel_drops_the_number();
    void add_party_dials_beside_the_active_call();
    void closing_the_window_ends_in_order();
    void about_window_ends_with_ok();
};

void TestControllerWindow::connect_and_disconnect_drive_the_engine_timer()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Телефонный Kestrum"));
    set_board("on_przv_exe", "1");  // as the dialer permits it: the watchdog lets it run
    rig.controller->start(false);
    QPushButton* connect = button(window, QStringLiteral("Подклчюить"));
    QVERIFY(connect && connect->isVisible());
    const QRect search_place = named(window, "poisk")->geometry();
    rig.controller->service_tick();
    QVERIFY(!rig.controller->engine_running());  // started by hand only
    connect->click();
    rig.controller->service_tick();
    QVERIFY(rig.controller->engine_running());
    // The engine's own timer runs the ticks: the link works, and an engine
    // tick shows the model that the one before probed.
    QTRY_VERIFY_WITH_TIMEOUT((window.refresh(), !connect->isVisible() && shows_text(window, "PhoneSim 3000")), 10000);
    // A click aimed at "Поиск телефонов" still lands there.
    QCOMPARE(named(window, "poisk")->geometry(), search_place);
    QVERIFY(rig.controller->serial().PortOpen());
    button(window, QStringLiteral("Отключить"))->click();
    rig.controller->service_tick();
    QVERIFY(!rig.controller->engine_running());
    QVERIFY(!rig.controller->serial().PortOpen());
    window.refresh();
    QVERIFY(connect->isVisible());  // the way back, in GSM mode too
}

void TestControllerWindow::disconnect_inside_an_engine_pump_ends_the_link_data()
{
    QTest::addColumn<QStringList>("phone");
    QTest::addColumn<QString>("type");
    QTest::newRow("GSM call engine") << QStringList{} << "GSM";
    QTest::newRow("GSM without call list") << QStringList{"--mode", "gsm-noclcc"} << "GSM";
    QTest::newRow("CDMA") << QStringList{"--mode", "cdma"} << "CDMA";
}

void TestControllerWindow::disconnect_inside_an_engine_pump_ends_the_link()
{
    QFETCH(QStringList, phone);
    QFETCH(QString, type);
    ControllerRig rig(phone, type);
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    rig.controller->press_connect();
    rig.controller->service_tick();
    rig.controller->stop_engine();
    rig.tick();
    QVERIFY(rig.controller->serial().PortOpen());

    // "Отключить" while an engine tick waits for the phone: the service
    // tick runs inside that tick's pump.
    rig.controller->start_engine();
    button(window, QStringLiteral("Отключить"))->click();
    rig.clock.in_next_pump = [&] { rig.controller->service_tick(); };
    rig.tick();
    QVERIFY(!rig.clock.in_next_pump);
    QVERIFY(!rig.controller->serial().PortOpen());
    QVERIFY(!rig.controller->engine_running());
    rig.publish();
    QCOMPARE(board("on_pr"), QStringLiteral("False"));
    rig.controller->service_tick();
    window.refresh();
    QVERIFY(shows_text(window, QStringLiteral("False")));
    QVERIFY(button(window, QStringLiteral("Подклчюить"))->isVisible());
    // Opened once, closed once: never opened again after the close.
    QVERIFY(rig.phone.wait_for_log(QStringLiteral("EV line closed 0"), 2000));
    const QStringList log = rig.phone.log_lines();
    const auto opened = std::count_if(log.begin(), log.end(),
                                      [](const QString& line) { return line.contains(QLatin1String("EV line opened")); });
    QCOMPARE(opened, 1);
}

void TestControllerWindow::buttons_and_call_rows_keep_their_places()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QMap<QString, QRect> places;
    const auto frames = window.findChildren<QGroupBox*>();
    for (QGroupBox* frame : frames)
        places[frame->title()] = frame->geometry();

    rig.connect_phone();
    QVERIFY(rig.phone.control("incoming 0671112233"));
    rig.round();
    window.refresh();
    QVERIFY(!named(window, "nabrat")->isVisible());
    QVERIFY(named(window, "prin2")->isVisible());
    QApplication::processEvents();
    for (QGroupBox* frame : frames)
        QCOMPARE(frame->geometry(), places[frame->title()]);
}

void TestControllerWindow::enter_presses_the_focused_button()
{
    ControllerRig rig;
    kestrum::FormPort window(*rig.controller);
    window.show();
    QPushButton* disconnect = named(window, "otkluch");
    QCOMPARE(disconnect->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    disconnect->setFocus(Qt::TabFocusReason);
    QTest::keyClick(disconnect, Qt::Key_Return);
    QCOMPARE(rig.state().Otkluch_tel, qint16(1));

    // In the dial window, Enter on "Отмена" cancels: it does not dial
    // through the default button.
    rig.state().tlf_numb.clear();
    with_dial_window(window, "nabrat", [&](kestrum::DialWindow& dial) {
        QTest::keyClicks(dial.number_box(), QStringLiteral("0501112233"));
        QPushButton* cancel = button(dial, QStringLiteral("Отмена"));
        cancel->setFocus(Qt::TabFocusReason);
        QTest::keyClick(cancel, Qt::Key_Return);
    });
    QVERIFY(rig.state().tlf_numb.isEmpty());
}

void TestControllerWindow::window_shows_a_call_and_the_lists()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    rig.connect_phone();
    QVERIFY(rig.phone.control("incoming 0671112233"));
    rig.round();
    window.refresh();
    QVERIFY(shows_text(window, QStringLiteral("Вх.вызов")));
    QVERIFY(shows_text(window, QStringLiteral("0671112233")));
    QPushButton* accept = nullptr;
    for (QPushButton* candidate : window.findChildren<QPushButton*>())
        if (candidate->text() == QStringLiteral("Принять") && candidate->isVisible())
            accept = candidate;
    QVERIFY(accept);
    QVERIFY(accept->isDefault());
    accept->click();
    QCOMPARE(rig.state().vzat_t, qint16(1));
    rig.round();
    rig.round();
    window.refresh();
    QVERIFY(shows_text(window, QStringLiteral("Разг. / (Вх. вызов)")));
    QVERIFY(!accept->isVisible());
    QList<QListWidget*> lists = window.findChildren<QListWidget*>();
    QCOMPARE(lists.size(), 2);
    QCOMPARE(lists.at(0)->count(), 1);
    QCOMPARE(lists.at(0)->item(0)->text(), QStringLiteral("0671112233"));
}

// While another program keeps the slot's port from opening, the log, the
// blackboard and the window name it; the holder is looked for at most
// every 2 s; an open port clears the note.
void TestControllerWindow::a_port_another_program_holds_is_named()
{
    ControllerRig rig;
    rig.clock.follow_real_time(false);  // time moves only when the test says
    kestrum::FormPort window(*rig.controller);
    window.show();
    auto* label = window.findChild<QLabel*>(QStringLiteral("port_zanyat"));
    QVERIFY(label && !label->isVisible());
    QVERIFY(label->wordWrap());
    QCOMPARE(label->textInteractionFlags(), Qt::TextSelectableByMouse);
    const QString status = rig.view().status_text;

    const auto note_of = [](const HeldPort& holder) {
        return QStringLiteral("Порт занят программой port_holder (PID %1). Закройте её и подключите телефон снова.")
            .arg(holder.pid());
    };
    QTest::failOnWarning(QRegularExpression(QStringLiteral("port_holder")));
    auto first = std::make_unique<HeldPort>(2);
    QVERIFY2(first->held(), qPrintable(first->output()));
    set_board("port", "2");
    QTest::ignoreMessage(QtWarningMsg, qPrintable("COM2 " + note_of(*first)));
    QCOMPARE(rig.controller->port_check(), QStringLiteral("ER"));
    QCOMPARE(board("port_zanyat"), note_of(*first));
    window.refresh();
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), note_of(*first));
    QCOMPARE(rig.view().status_text, status);

    // Another holder within 2 s is seen only once they have passed.
    const QString first_note = note_of(*first);
    QVERIFY(first->release());
    HeldPort second(2);
    QVERIFY2(second.held(), qPrintable(second.output()));
    QCOMPARE(rig.controller->port_check(), QStringLiteral("ER"));
    QCOMPARE(board("port_zanyat"), first_note);
    rig.clock.advance(2000);
    QTest::ignoreMessage(QtWarningMsg, qPrintable("COM2 " + note_of(second)));
    QCOMPARE(rig.controller->port_check(), QStringLiteral("ER"));
    QCOMPARE(board("port_zanyat"), note_of(second));
    QCOMPARE(rig.controller->port_check(), QStringLiteral("ER"));  // logged once

    QVERIFY(second.release());
    QCOMPARE(rig.controller->port_check(), QStringLiteral("OK"));
    QCOMPARE(board("port_zanyat"), QString());
    window.refresh();
    QVERIFY(!label->isVisible());
}

void TestControllerWindow::each_button_sends_its_command_at_the_next_tick_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("command");
    QTest::newRow("Снять трубку") << "modem" << "Provod" << "sn_tr" << "ATH1";
    QTest::newRow("first Положить трубку") << "modem" << "Provod" << "pol_tr1" << "ATH";
    QTest::newRow("second Положить трубку") << "gsm" << "GSM" << "pol_tr2" << "AT+CHUP";
    QTest::newRow("Принять, waiting") << "gsm" << "GSM" << "prin1" << "ATA";
    QTest::newRow("Отклонить, waiting") << "gsm" << "GSM" << "otklon1" << "AT+CHLD=0";
    QTest::newRow("Принять, incoming") << "gsm" << "GSM" << "prin2" << "ATA";
    QTest::newRow("Отклонить, incoming") << "gsm" << "GSM" << "otklon2" << "AT+CHUP";
    QTest::newRow("Конф - ожидание") << "gsm" << "GSM" << "kf_oj" << "AT+CHLD=2";
    QTest::newRow("Конференция") << "gsm" << "GSM" << "kf" << "AT+CHLD=2";
    QTest::newRow("Объеденить вызовы") << "gsm" << "GSM" << "kf1" << "AT+CHLD=3";
}

void TestControllerWindow::each_button_sends_its_command_at_the_next_tick()
{
    QFETCH(QString, mode);
    QFETCH(QString, type);
    QFETCH(QString, button);
    QFETCH(QString, command);
    ControllerRig rig({"--mode", mode}, type);
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    rig.connect_phone();
    rig.tick();  // the call engine (or the wired tick) runs from now on
    const QStringList before = rig.phone.received();

    named(window, button.toLatin1().constData())->click();
    // The button only sets a flag; nothing reaches the phone before the tick.
    QTest::qWait(50);
    QCOMPARE(rig.phone.received(), before);
    rig.tick();
    QVERIFY(wait_until([&] { return rig.phone.received().size() > before.size(); }, 3000));
    QCOMPARE(rig.phone.received().mid(before.size()), QStringList{command});
    const kestrum::ControllerState& state = rig.state();
    QCOMPARE(state.vzat_t + state.poloz_t + state.ud_otklon + state.ud_perekl + state.ud_konf + state.vzat_t_pr
                 + state.poloz_t_pr,
             0);  // taken by the tick that sent it
}

void TestControllerWindow::cdma_reject_sets_the_flag_and_sends_nothing()
{
    ControllerRig rig({"--mode", "cdma"}, QStringLiteral("CDMA"));
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    rig.connect_phone();
    named(window, "otklon2")->click();
    QCOMPARE(rig.state().poloz_t, qint16(1));
    rig.tick();
    rig.tick();
    QVERIFY(rig.phone.wait_for_command("AT", 3000, 2));
    QCOMPARE(rig.phone.count_received("AT+CHUP"), 0);
    QCOMPARE(rig.state().poloz_t, qint16(1));
}

void TestControllerWindow::dial_window_dials_the_text_as_typed()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    rig.connect_phone();
    rig.tick();
    rig.controller->start_engine();
    const int dials_before = rig.phone.count_received("ATD");

    with_dial_window(window, "nabrat", [&](kestrum::DialWindow& dial) {
        QVERIFY(!rig.controller->engine_running());  // no tick while the user types
        QCOMPARE(prompt_of(dial)->text(), QStringLiteral("Введите номер телефона!"));
        button(dial, QStringLiteral("Позвонить"))->click();
        QVERIFY(dial.isVisible());
        QCOMPARE(prompt_of(dial)->text(), QStringLiteral("Не введён номер!"));
        QVERIFY(rig.state().tlf_numb.isEmpty());
        QVERIFY(!rig.controller->engine_running());
        QTest::keyClicks(dial.number_box(), QStringLiteral("050 123-45"));
        QCOMPARE(prompt_of(dial)->text(), QString());  // typing clears the prompt
        button(dial, QStringLiteral("Позвонить"))->click();
    });
    QCOMPARE(rig.state().tlf_numb, QStringLiteral("050 123-45"));  // not cleaned
    QVERIFY(rig.controller->engine_running());
    rig.controller->stop_engine();
    QCOMPARE(rig.phone.count_received("ATD"), dials_before);
    rig.tick();
    QVERIFY(rig.phone.wait_for_command("ATD", 3000, dials_before + 1));
    QCOMPARE(rig.phone.received().last(), QStringLiteral("ATD050 123-45;"));
    QVERIFY(rig.state().tlf_numb.isEmpty());

    // Opened again: the box is empty and the prompt is back.
    with_dial_window(window, "nabrat", [&](kestrum::DialWindow& dial) {
        QCOMPARE(dial.number_box()->text(), QString());
        QCOMPARE(prompt_of(dial)->text(), QStringLiteral("Введите номер телефона!"));
        button(dial, QStringLiteral("Отмена"))->click();
    });
}

void TestControllerWindow::dial_window_cancel_drops_the_number()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    rig.connect_phone();
    rig.tick();

    // A running engine runs again after "Отмена"; the number typed and one
    // that was pending before the window opened are both dropped.
    rig.controller->start_engine();
    rig.state().tlf_numb = QStringLiteral("0679998877");
    kestrum::DialWindow* dial = with_dial_window(window, "nabrat", [&](kestrum::DialWindow& dial) {
        QTest::keyClicks(dial.number_box(), QStringLiteral("0501112233"));
        button(dial, QStringLiteral("Отмена"))->click();
    });
    QVERIFY(!dial->isVisible());
    QCOMPARE(dial->number_box()->text(), QString());
    QVERIFY(rig.state().tlf_numb.isEmpty());
    QVERIFY(rig.controller->engine_running());
    rig.controller->stop_engine();
    rig.tick();
    rig.tick();
    QCOMPARE(rig.phone.count_received("ATD"), 0);

    // A stopped engine (never connected, or just disconnected) stays
    // stopped: cancelling must not connect the phone. Escape cancels too.
    with_dial_window(window, "nabrat", [&](kestrum::DialWindow& dial) {
        QTest::keyClicks(dial.number_box(), QStringLiteral("0501112233"));
        QTest::keyClick(&dial, Qt::Key_Escape);
    });
    QVERIFY(!rig.controller->engine_running());
    QVERIFY(rig.state().tlf_numb.isEmpty());
    QCOMPARE(dial->number_box()->text(), QString());
}

void TestControllerWindow::add_party_dials_beside_the_active_call()
{
    ControllerRig rig({"--alert-ms", "10", "--auto-answer", "20"});
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    rig.connect_phone();
    rig.state().tlf_numb = QStringLiteral("0501234567");
    rig.round();
    QVERIFY(wait_until([&] { return rig.phone.calls() == QStringList{"1,0,0,0,0,\"0501234567\",129"}; }, 3000));
    rig.round();
    window.refresh();
    QPushButton* add_party = named(window, "kf_dob");
    QVERIFY(add_party->isVisible() && add_party->isEnabled());
    QVERIFY(!named(window, "nabrat")->isVisible());  // a call is listed

    with_dial_window(window, "kf_dob", [&](kestrum::DialWindow& dial) {
        QVERIFY(!rig.controller->engine_running());
        QTest::keyClicks(dial.number_box(), QStringLiteral("0677654321"));
        QTest::keyClick(dial.number_box(), Qt::Key_Return);  // "Позвонить" is the default
    });
    rig.controller->stop_engine();
    rig.tick();
    QVERIFY(rig.phone.wait_for_command("ATD0677654321;", 3000));
    QVERIFY(wait_until([&] { return rig.phone.calls().size() == 2; }, 3000));
}

void TestControllerWindow::closing_the_window_ends_in_order()
{
    ControllerRig rig;
    kestrum::FormPort window(*rig.controller);
    window.show();
    window.close();
    QVERIFY(rig.ended);
    QCOMPARE(board("on_pr_exe"), QStringLiteral("0"));
    QCOMPARE(board("knopki_zv"), QStringLiteral("@@@@@@@@@@"));
}

void TestControllerWindow::about_window_ends_with_ok()
{
    kestrum::AboutWindow about;
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    QVERIFY(!about.findChildren<QLabel*>().isEmpty());
    QCOMPARE(about.findChildren<QLabel*>().first()->text(),
             QStringLiteral("Данная подпрограмма \"Kestrum\" предназначена для совместной работы с программой \"Vekorra\""));
    QTimer::singleShot(100, &about, [&about] { button(about, QStringLiteral("OK"))->click(); });
    QCOMPARE(about.exec(), int(QDialog::Accepted));
}

QTEST_MAIN(TestControllerWindow)
#include "test_controller_window.moc"
