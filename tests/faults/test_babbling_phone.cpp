// A phone or modem that keeps talking and never gives its final result: the
// controller's waits must end at their limits even while bytes keep coming,
// and the dial of a CDMA phone must not wait for the end of the flood.
// The controller runs in this process so that its limit can be short; the
// line is a real pseudo-terminal to the phone simulator.
#include <QtTest>

#include <QElapsedTimer>

#include "tests/controller/controller_fixture.h"

class TestBabblingPhone : public QObject {
    Q_OBJECT

private slots:
    void wired_tick_ends_at_its_limit_while_the_modem_babbles();
    void cdma_dial_ends_while_the_phone_babbles();
};

void TestBabblingPhone::wired_tick_ends_at_its_limit_while_the_modem_babbles()
{
    ControllerRig rig({"--mode", "modem"}, "Provod");
    QVERIFY(rig.phone.ready());
    // The port hands on all it receives, at well over 10 MB/s here: the
    // limit is short beside the time the babble takes.
    rig.controller->limits().wired_reply_limit_ms = 300;
    rig.tick();
    QVERIFY(rig.view().wired_reply.contains(QLatin1String("OK")));

    // Every reply now starts with a line of 20 MB, which the modem sends as
    // fast as the controller reads: seconds of text before the final
    // result, with never a moment of silence.
    QVERIFY(rig.phone.control("fault long on 20000000"));
    QElapsedTimer took;
    took.start();
    rig.tick();
    const qint64 elapsed = took.elapsed();
    qInfo("the wired tick gave up after %lld ms", elapsed);
    QCOMPARE(rig.view().status_text, QStringLiteral("Потеряна связь"));
    QVERIFY(!rig.controller->serial().PortOpen());
    QVERIFY(rig.view().connect_shown);

    // Quiet again: the next tick reopens the line and gets its answer.
    QVERIFY(rig.phone.control("fault long off"));
    rig.tick();
    QVERIFY(rig.controller->serial().PortOpen());
    QTRY_VERIFY(rig.phone.count_received("AT") >= 3);
}

void TestBabblingPhone::cdma_dial_ends_while_the_phone_babbles()
{
    ControllerRig rig({"--mode", "cdma"}, "CDMA");
    QVERIFY(rig.phone.ready());
    rig.tick();
    // The keep-alive's OK would be read ahead of the dial's reply.
    QString left;
    QTRY_VERIFY((left += rig.controller->serial().Input()).contains(QLatin1String("OK")));
    QVERIFY(rig.phone.control("fault long on 20000000"));
    rig.state().tlf_numb = QStringLiteral("0501234567");
    QElapsedTimer took;
    took.start();
    rig.tick();
    qInfo("the CDMA dial tick ended after %lld ms", took.elapsed());
    // It took what had come and did not wait for the final OK behind 20 MB.
    QVERIFY(rig.phone.wait_for_command("AT+CDV0501234567;", 1000));
    QCOMPARE(rig.view().status_text, QStringLiteral("Потеряна связь"));
    QVERIFY(!rig.controller->serial().PortOpen());
}

QTEST_GUILESS_MAIN(TestBabblingPhone)
#include "test_babbling_phone.moc"
