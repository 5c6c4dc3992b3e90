// The call-state engine against a simulated GSM phone: what it publishes on
// the blackboard for each call situation, the order of commands, dialling,
// incoming-call tracking and the answered and missed lists.
#include <QtTest>

#include "controller_fixture.h"

namespace {
const QString kNoButtons = QStringLiteral("0@0@0@0@0@0@0@0@0@0@0");
const QString kEmpty = QStringLiteral("@@@@@@");
}  // namespace

class TestCallEngine : public QObject {
    Q_OBJECT

private slots:
    void call_situations_are_published();
    void held_conference_beside_an_active_call_offers_join();
    void commands_go_one_per_tick_in_order_of_precedence();
    void swap_keys_in_one_status_tick_send_one_swap();
    void answered_and_missed_calls_and_the_incoming_key();
    void withheld_caller_is_shown_and_can_be_answered();
    void unreadable_call_list_clears_everything();
    void nested_engine_tick_touches_nothing();
    void dialled_number_leaves_display_when_it_never_shows_up();
    void hang_up_clears_dialled_number();
    void control_characters_never_reach_the_phone();
    void caller_address_with_separator_keeps_the_fields_in_place();
    void number_handed_over_while_dialling_is_dialled_next_data();
    void number_handed_over_while_dialling_is_dialled_next();
};

// One conversation walked through every situation of the call list; after
// each step the three published keys are checked exactly.
void TestCallEngine::call_situations_are_published()
{
    ControllerRig rig({QStringLiteral("--alert-ms"), QStringLiteral("1500")});
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QCOMPARE(rig.state().CLCC, qint16(1));
    QCOMPARE(rig.state().model, QStringLiteral("PhoneSim 3000"));

    struct Step {
        const char* situation;
        std::function<void()> act;
        QString status, zvonok, knopki;
    };
    const QString a = QStringLiteral("0501234567"), b = QStringLiteral("0671112233");
    const QList<Step> steps = {
        {"no call", [] {}, kEmpty, kEmpty, kNoButtons},
        {"number sent, not yet listed", [&] { set_board("pozvonit", a); },
         "Подключение...@@@@@@", a + "@@@@@@", "0@0@0@0@1@0@0@0@0@0@0"},
        {"outgoing call dialling", [] {}, "Набор номера....@@@@@@", a + "@@@@@@", "0@0@0@0@1@0@0@0@0@0@0"},
        {"outgoing call alerting", [] { QThread::msleep(1600); },
         "Ожидание ответа....@@@@@@", a + "@@@@@@", "0@0@0@0@1@0@0@0@0@0@0"},
        {"one active call", [&] { QVERIFY(rig.phone.control("answer")); },
         "@Разг. / (Исх. вызов)@@@@@", "@" + a + "@@@@@", "0@0@0@0@1@0@0@0@0@0@1"},
        {"active and waiting call", [&] { QVERIFY(rig.phone.control("incoming " + b)); },
         "2я линия@Разг. / (Исх. вызов)@@@@@", b + "@" + a + "@@@@@", "0@0@1@1@1@0@0@0@0@0@1"},
        {"one active, one held", [&] { set_board("kf", "1"); rig.round(); },
         "@Разг. / (Вх. вызов)@Удерж. / (Исх. вызов)@@@@", "@" + b + "@" + a + "@@@@",
         "0@0@0@0@1@0@0@0@1@0@0"},
        {"two active calls", [&] { set_board("kf1", "1"); rig.round(); },
         "@Разг. / (Вх. вызов)@Разг. / (Исх. вызов)@@@@", "@" + b + "@" + a + "@@@@",
         "0@0@0@0@1@0@0@0@0@1@1"},
        // The add-a-party button is offered here too: nothing is dialled,
        // nothing can be joined, a conference is on hold.
        {"two held calls", [&] { set_board("kf_oj", "1"); rig.round(); },
         "@Удерж. / (Вх. вызов)@Удерж. / (Исх. вызов)@@@@", "@" + b + "@" + a + "@@@@",
         "0@0@0@0@1@0@0@1@0@0@1"},
        {"incoming call only", [&] { QVERIFY(rig.phone.control("hangup")); QVERIFY(rig.phone.control("incoming " + b)); },
         "Вх.вызов@@@@@@", b + "@@@@@@", "0@0@0@0@1@1@1@0@0@0@0"},
    };
    for (const Step& step : steps) {
        step.act();
        rig.round();
        QVERIFY2(board("status") == step.status, qPrintable(QString("%1: %2").arg(step.situation, board("status"))));
        QVERIFY2(board("zvonok") == step.zvonok, qPrintable(QString("%1: %2").arg(step.situation, board("zvonok"))));
        QVERIFY2(board("knopki_zv") == step.knopki,
                 qPrintable(QString("%1: %2").arg(step.situation, board("knopki_zv"))));
    }
    QCOMPARE(rig.view().status_text, QString());
    QCOMPARE(board("on_pr"), QStringLiteral("True"));
    QCOMPARE(board("model"), QStringLiteral("PhoneSim 3000"));
}

void TestCallEngine::held_conference_beside_an_active_call_offers_join()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QVERIFY(rig.phone.control("incoming 0671112233"));
    set_board("vzat_t", "1");
    rig.round();
    QVERIFY(rig.phone.control("waiting 0672223344"));
    set_board("kf", "1");  // hold the first, take the second
    rig.round();
    set_board("kf1", "1");  // join them
    rig.round();
    set_board("kf_oj", "1");  // the conference goes on hold
    rig.round();
    QVERIFY(rig.phone.control("incoming 0503334455"));
    set_board("vzat_t", "1");
    rig.round();
    rig.round();
    QCOMPARE(board("status"),
             QStringLiteral("@Разг. / (Вх. вызов)@Удерж. / (Вх. вызов)@Удерж. / (Вх. вызов)@@@"));
    QCOMPARE(board("knopki_zv"), QStringLiteral("0@0@0@0@1@0@0@1@1@0@0"));
}

void TestCallEngine::commands_go_one_per_tick_in_order_of_precedence()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    using Command = kestrum::Controller::Command;
    for (Command command : {Command::HangUp, Command::Answer, Command::Swap, Command::RejectWaiting, Command::Join})
        rig.controller->press(command);
    const kestrum::ControllerState& state = rig.state();
    rig.state().tlf_numb = QStringLiteral("0501234567");
    const int before = rig.phone.received().size();
    for (int tick = 0; tick < 6; ++tick)
        rig.tick();
    QVERIFY(rig.phone.wait_for_command("ATD", 3000));
    const QStringList sent = rig.phone.received().mid(before, 6);
    QCOMPARE(sent, (QStringList{"AT+CHLD=3", "AT+CHLD=0", "AT+CHLD=2", "ATA", "AT+CHUP", "ATD0501234567;"}));
    QCOMPARE(rig.view().dialled_number, QStringLiteral("0501234567"));
    QCOMPARE(state.tlf_numb, QString());
}

void TestCallEngine::swap_keys_in_one_status_tick_send_one_swap()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    set_board("kf", "1");
    set_board("kf_oj", "1");
    rig.publish();
    QCOMPARE(board("kf"), QString());
    QCOMPARE(board("kf_oj"), QString());
    rig.tick();
    rig.tick();
    rig.tick();
    QCOMPARE(rig.phone.count_received("AT+CHLD=2"), 1);
}

void TestCallEngine::answered_and_missed_calls_and_the_incoming_key()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    const QString caller = QStringLiteral("0671112233");
    QVERIFY(rig.phone.control("incoming " + caller));
    rig.round();
    QCOMPARE(board("vhod_zvonok"), caller);
    QCOMPARE(board("vhod_zvonok_time"), QStringLiteral("14:05:33"));
    // The dialer consumes the key; a call that goes on ringing is not
    // announced again.
    set_board("vhod_zvonok", "taken");
    rig.round();
    QCOMPARE(board("vhod_zvonok"), QStringLiteral("taken"));

    set_board("vzat_t", "1");
    rig.round();  // ATA
    rig.round();  // the call is active: answered
    QCOMPARE(rig.view().answered, QStringList{caller});
    QCOMPARE(board("vhod_zvonok"), QStringLiteral("taken"));
    rig.round();  // the tick after it stopped ringing writes ""
    QCOMPARE(board("vhod_zvonok"), QString());
    set_board("vhod_zvonok", "taken");
    rig.round();
    QCOMPARE(board("vhod_zvonok"), QStringLiteral("taken"));

    const QString second = QStringLiteral("0503334455");
    QVERIFY(rig.phone.control("hangup"));
    QVERIFY(rig.phone.control("incoming " + second));
    rig.round();
    QCOMPARE(board("vhod_zvonok"), second);
    QVERIFY(rig.phone.control("hangup"));
    rig.round();
    QCOMPARE(rig.view().missed, QStringList{second});
    QCOMPARE(rig.view().answered, QStringList{caller});
    QCOMPARE(board("status"), kEmpty);
}

void TestCallEngine::withheld_caller_is_shown_and_can_be_answered()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QVERIFY(rig.phone.control("incoming-withheld"));
    rig.round();
    QCOMPARE(rig.view().status_text, QString());
    QCOMPARE(board("status"), QStringLiteral("Вх.вызов@@@@@@"));
    QCOMPARE(board("knopki_zv"), QStringLiteral("0@0@0@0@1@1@1@0@0@0@0"));
    set_board("vzat_t", "1");
    rig.round();
    rig.round();
    QCOMPARE(board("status"), QStringLiteral("@Разг. / (Вх. вызов)@@@@@"));
}

void TestCallEngine::unreadable_call_list_clears_everything()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QVERIFY(rig.phone.control("incoming 0671112233"));
    rig.round();
    QCOMPARE(board("knopki_zv"), QStringLiteral("0@0@0@0@1@1@1@0@0@0@0"));
    QVERIFY(rig.phone.control("fault silence on"));
    rig.round();
    QCOMPARE(rig.view().status_text, QStringLiteral("Потеряна связь (нет ОК)"));
    QCOMPARE(board("status"), kEmpty);
    QCOMPARE(board("zvonok"), kEmpty);
    QCOMPARE(board("knopki_zv"), kNoButtons);
    QCOMPARE(board("on_pr"), QStringLiteral("False"));
}

void TestCallEngine::nested_engine_tick_touches_nothing()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    rig.tick();
    const int polls = rig.phone.count_received("AT+CLCC");
    QString nested_status;
    // The port check's pump comes first; the poll's exchange pumps next.
    rig.clock.in_next_pump = [&] {
        rig.clock.in_next_pump = [&] {
            rig.tick();
            nested_status = rig.view().status_text;
        };
    };
    rig.tick();
    QCOMPARE(nested_status, QStringLiteral("Потеряна связь (>1)"));
    QVERIFY(rig.phone.wait_for_command("AT+CLCC", 2000, polls + 1));
    QTest::qWait(300);
    QCOMPARE(rig.phone.count_received("AT+CLCC"), polls + 1);
}

// A number the phone never lists (refused at once) leaves the display once
// a poll finds no call, but only after the hold time.
void TestCallEngine::dialled_number_leaves_display_when_it_never_shows_up()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.controller->limits().dial_label_hold_ms = 5000;
    rig.connect_phone();
    set_board("pozvonit", "0501234567");
    rig.round();
    QVERIFY(rig.phone.control("busy"));
    rig.round();
    QCOMPARE(board("status"), QStringLiteral("Подключение...@@@@@@"));
    QCOMPARE(board("knopki_zv"), QStringLiteral("0@0@0@0@1@0@0@0@0@0@0"));
    rig.clock.advance(5000);
    rig.round();
    QCOMPARE(board("status"), kEmpty);
    QCOMPARE(board("zvonok"), kEmpty);
    QCOMPARE(board("knopki_zv"), kNoButtons);
}

void TestCallEngine::hang_up_clears_dialled_number()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    set_board("pozvonit", "0501234567");
    rig.round();
    set_board("poloz_t", "1");
    rig.round();
    QVERIFY(rig.phone.wait_for_command("AT+CHUP", 2000));
    QCOMPARE(rig.view().dialled_number, QString());
    rig.round();
    QCOMPARE(board("status"), kEmpty);
    QCOMPARE(board("knopki_zv"), kNoButtons);
}

void TestCallEngine::control_characters_never_reach_the_phone()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    rig.state().tlf_numb = QStringLiteral("050\r\nATH\r\n12\x7f" "34567");
    rig.tick();
    QVERIFY(rig.phone.wait_for_command("ATD", 2000));
    QCOMPARE(rig.phone.received().filter("ATD"), QStringList{"ATD050ATH1234567;"});
    QCOMPARE(rig.phone.count_received("ATH"), 0);
}

void TestCallEngine::caller_address_with_separator_keeps_the_fields_in_place()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QVERIFY(rig.phone.control("incoming user@gateway"));
    rig.round();
    const QStringList numbers = board("zvonok").split('@');
    QCOMPARE(numbers.size(), 7);
    QVERIFY2(numbers.contains(QStringLiteral("usergateway")), qPrintable(board("zvonok")));
    QCOMPARE(board("status").split('@').size(), 7);
}

void TestCallEngine::number_handed_over_while_dialling_is_dialled_next_data()
{
    QTest::addColumn<QStringList>("phone");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("dial");
    QTest::newRow("call engine") << QStringList() << QStringLiteral("GSM") << QStringLiteral("ATD");
    QTest::newRow("CDMA") << QStringList{"--mode", "cdma"} << QStringLiteral("CDMA") << QStringLiteral("AT+CDV");
}

// The dialer hands over a second number while the first one is being
// dialled: the status tick inside the dial tick's pump takes it, and the
// dial tick must not wipe it as if it had been dialled.
void TestCallEngine::number_handed_over_while_dialling_is_dialled_next()
{
    QFETCH(QStringList, phone);
    QFETCH(QString, type);
    QFETCH(QString, dial);
    ControllerRig rig(phone, type);
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    set_board("pozvonit", "0501111111");
    rig.publish();
    // The pumps before the dial command leave the hand-over for later.
    std::function<void()> hand_over_once_dialling = [&] {
        if (!rig.phone.wait_for_command(dial + "0501111111;", 200)) {
            rig.clock.in_next_pump = hand_over_once_dialling;
            return;
        }
        set_board("pozvonit", "0672222222");
        rig.publish();
    };
    rig.clock.in_next_pump = hand_over_once_dialling;
    rig.tick();
    QVERIFY(rig.phone.wait_for_command(dial + "0501111111;", 2000));
    QCOMPARE(board("pozvonit"), QString());
    QCOMPARE(rig.state().tlf_numb, QStringLiteral("0672222222"));
    rig.tick();
    QVERIFY(rig.phone.wait_for_command(dial + "0672222222;", 2000));
    QCOMPARE(rig.state().tlf_numb, QString());
}

QTEST_GUILESS_MAIN(TestCallEngine)
#include "test_call_engine.moc"
