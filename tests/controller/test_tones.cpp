// DTMF tones end to end: the blackboard's `dtmf` taken by the status tick of
// a real controller, sent to a simulated phone as "AT+VTS=<c>", only while
// a call is active, behind the call commands.
#include <QtTest>

#include "blackboard/slot.h"
#include "controller_fixture.h"

namespace {

// The tones that reached the phone, in order.
QString tones_at(const PhoneSim& phone)
{
    QString tones;
    for (const QString& line : phone.received())
        if (line.startsWith(QLatin1String("AT+VTS=")))
            tones += line.mid(7);
    return tones;
}

void append_tones(const QString& text) { QVERIFY(blackboard::Slot(1).append_dtmf(text)); }

// Dials a number and has the far end answer: one active call.
void start_call(ControllerRig& rig)
{
    set_board("pozvonit", "0501234567");
    rig.round();
    QVERIFY(rig.phone.control("answer"));
    rig.round();
    QVERIFY(rig.phone.calls().value(0).contains(",0,0,0,"));
}

// Runs task inside the first pump after `count` tones reached the phone.
void after_tones(ControllerRig& rig, int count, std::function<void()> task)
{
    rig.clock.in_next_pump = [&rig, count, task] {
        if (rig.phone.count_received("AT+VTS=") >= count)
            task();
        else
            after_tones(rig, count, task);
    };
}

}  // namespace

class TestTones : public QObject {
    Q_OBJECT

private slots:
    void tones_go_in_order_and_only_tones_count();
    void tones_without_a_call_are_dropped_not_kept();
    void call_ended_half_way_drops_the_rest_and_keeps_the_link();
    void hang_up_goes_before_waiting_tones();
    void two_writers_appending_at_once_lose_and_repeat_nothing();
    void cdma_phone_sends_tones_during_its_call();
    void wired_modem_drops_tones();
};

void TestTones::tones_go_in_order_and_only_tones_count()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    start_call(rig);
    append_tones(QStringLiteral("1x2*\r\n#aB d9,;\"E0"));
    rig.round();
    QCOMPARE(board("dtmf"), QString());
    QCOMPARE(tones_at(rig.phone), QStringLiteral("12*#ABD90"));
    QVERIFY(rig.phone.wait_for_log("EV tone 0", 2000));
    QCOMPARE(rig.view().status_text, QString());
    rig.round();
    QCOMPARE(tones_at(rig.phone), QStringLiteral("12*#ABD90"));
}

void TestTones::tones_without_a_call_are_dropped_not_kept()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    rig.round();
    append_tones(QStringLiteral("123"));
    rig.round();
    QCOMPARE(board("dtmf"), QString());
    QVERIFY(!rig.controller->tones().waiting());
    start_call(rig);
    rig.round();
    QCOMPARE(tones_at(rig.phone), QString());
}

void TestTones::call_ended_half_way_drops_the_rest_and_keeps_the_link()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    start_call(rig);
    append_tones(QStringLiteral("123456"));
    after_tones(rig, 2, [&rig] { QVERIFY(rig.phone.control("hangup")); });
    rig.round();
    rig.round();
    rig.round();
    // The third tone meets no call and is refused; the rest never goes.
    QCOMPARE(tones_at(rig.phone), QStringLiteral("123"));
    QVERIFY(!rig.controller->tones().waiting());
    QVERIFY(rig.controller->serial().PortOpen());
    QCOMPARE(rig.view().status_text, QString());
    QCOMPARE(board("on_pr"), QStringLiteral("True"));
}

void TestTones::hang_up_goes_before_waiting_tones()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    start_call(rig);
    append_tones(QStringLiteral("123456"));
    after_tones(rig, 2, [&rig] {
        set_board("poloz_t", "1");
        rig.publish();  // a status tick inside the pump takes the hang-up
    });
    rig.round();
    QCOMPARE(tones_at(rig.phone), QStringLiteral("12"));
    rig.round();
    QVERIFY(rig.phone.wait_for_command("AT+CHUP", 2000));
    rig.round();
    rig.round();
    QCOMPARE(tones_at(rig.phone), QStringLiteral("12"));
    QVERIFY(!rig.controller->tones().waiting());
    QVERIFY(rig.phone.calls().isEmpty());
}

// Two shell scripts append through vekorra-settings while the controller
// takes: every tone arrives once, each writer's in its own order.
void TestTones::two_writers_appending_at_once_lose_and_repeat_nothing()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    start_call(rig);
    const QString tool = TestEnv::build_dir() + "/vekorra-settings";
    const auto writer = [&tool](const QString& tones) {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral("/bin/sh"),
                       {QStringLiteral("-c"), QStringLiteral("for c in %1; do \"%2\" append Kestrum 1 dtmf \"$c\" || exit 1; done")
                                                  .arg(tones, tool)});
        return process;
    };
    auto first = writer(QStringLiteral("1 2 3 4 5 6 7 8"));
    auto second = writer(QStringLiteral("A B C D \\* \\# 9 0"));
    QVERIFY(first->waitForStarted() && second->waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while ((first->state() != QProcess::NotRunning || second->state() != QProcess::NotRunning
            || !board(QStringLiteral("1"), QStringLiteral("dtmf"), QString()).isEmpty()
            || rig.controller->tones().waiting())
           && waited.elapsed() < 20000) {
        rig.round();
        first->waitForFinished(0);
        second->waitForFinished(0);
    }
    QCOMPARE(first->exitCode(), 0);
    QCOMPARE(second->exitCode(), 0);
    const QString sent = tones_at(rig.phone);
    QCOMPARE(sent.size(), 16);
    QString from_first, from_second;
    for (const QChar tone : sent)
        (QStringLiteral("12345678").contains(tone) ? from_first : from_second).append(tone);
    QCOMPARE(from_first, QStringLiteral("12345678"));
    QCOMPARE(from_second, QStringLiteral("ABCD*#90"));
}

void TestTones::cdma_phone_sends_tones_during_its_call()
{
    ControllerRig rig({QStringLiteral("--mode"), QStringLiteral("cdma")}, QStringLiteral("CDMA"));
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    // No call: the phone refuses the first tone and the rest is dropped.
    append_tones(QStringLiteral("12"));
    rig.round();
    rig.round();
    QCOMPARE(tones_at(rig.phone), QStringLiteral("1"));
    set_board("pozvonit", "0501234567");
    rig.round();
    QVERIFY(rig.phone.wait_for_command("AT+CDV0501234567", 2000));
    append_tones(QStringLiteral("#5"));
    rig.round();
    rig.round();
    QCOMPARE(tones_at(rig.phone), QStringLiteral("1#5"));
    QVERIFY(rig.phone.wait_for_log("EV tone 5", 2000));
}

void TestTones::wired_modem_drops_tones()
{
    ControllerRig rig({QStringLiteral("--mode"), QStringLiteral("modem")}, QStringLiteral("Provod"));
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    append_tones(QStringLiteral("123"));
    rig.round();
    rig.round();
    QCOMPARE(board("dtmf"), QString());
    QVERIFY(!rig.controller->tones().waiting());
    QCOMPARE(tones_at(rig.phone), QString());
}

QTEST_GUILESS_MAIN(TestTones)
#include "test_tones.moc"
