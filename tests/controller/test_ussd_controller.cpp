// USSD through the real controller and a simulated phone: requests taken
// from the blackboard, the network's answers decoded and published, menus,
// cancels, refusals, timeouts, and answers that arrive amid a call list.
#include <QtTest>

#include "controller_fixture.h"

namespace {
const QString kBalance = QStringLiteral("Ваш баланс: 125,40 грн.\nБонус: 50 МБ до 31.12");
// Menus come as GSM text here: Latin letters only.
const QString kMenu = QStringLiteral("1. Tarify\n2. Balans");

// The option giving one code its answer, as the simulator takes it.
QStringList answer(const QString& code, const QString& kind)
{
    return {QStringLiteral("--ussd"), code + QLatin1Char('=') + kind};
}

// Writes the request and runs rounds until a state other than "" is
// published (or rounds run out); the state.
QString ask(ControllerRig& rig, const QString& key, const QString& value, int rounds = 12)
{
    set_board(key, value);
    for (int n = 0; n < rounds; ++n) {
        rig.round();
        const QString state = board(QStringLiteral("1"), QStringLiteral("ussd_state"), QString());
        if (!state.isEmpty() && board(QStringLiteral("1"), key, QString()).isEmpty())
            return state;
    }
    return board(QStringLiteral("1"), QStringLiteral("ussd_state"), QString());
}

QString reply() { return board(QStringLiteral("ussd_reply")); }
}  // namespace

class TestUssdController : public QObject {
    Q_OBJECT

private slots:
    void answers_are_decoded_and_published_data();
    void answers_are_decoded_and_published();
    void menu_answered_in_two_steps();
    void menu_cancelled();
    void request_that_may_not_go_out_is_refused();
    void silent_network_times_out_and_the_next_request_follows();
    void answer_inside_a_call_list_leaves_the_calls_alone();
};

void TestUssdController::answers_are_decoded_and_published_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pieces");  // the phone's slow mode: "BYTES MS"
    QTest::newRow("Russian balance, UCS2 under dcs 72") << QStringList() << "*100#" << "0" << kBalance << "";
    // However the phone cuts its answer, it is assembled whole.
    for (const char* pieces : {"32 100", "8 20", "16 100"})
        QTest::newRow(qPrintable(QStringLiteral("balance in pieces of %1 ms").arg(pieces)))
            << QStringList() << "*100#" << "0" << kBalance << pieces;
    QTest::newRow("Russian balance, UCS2 hex under dcs 15")
        << answer("*102#", "ucs2-dcs15:" + QString(kBalance).replace("\n", "\\n")) << "*102#" << "0" << kBalance << "";
    // Lower-case "error" in the network's text is no reason to send again.
    QTest::newRow("GSM text") << answer("*101#", "text:Tariff error 42") << "*101#" << "0" << "Tariff error 42" << "";
    QTest::newRow("not supported") << QStringList() << "*555#" << "4" << "" << "";
    QTest::newRow("refused by the phone") << answer("*9#", "error") << "*9#" << "error" << "" << "";
}

void TestUssdController::answers_are_decoded_and_published()
{
    QFETCH(QStringList, options);
    QFETCH(QString, code);
    QFETCH(QString, pieces);
    ControllerRig rig(options);
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    if (!pieces.isEmpty())
        QVERIFY(rig.phone.control("fault slow on " + pieces));
    QTEST(ask(rig, "ussd", code, pieces.isEmpty() ? 12 : 40), "state");
    QTEST(reply(), "text");
    QCOMPARE(rig.phone.count_received("AT+CUSD=1,\"" + code + "\",15"), 1);
    QCOMPARE(board("ussd"), QString());  // taken
}

void TestUssdController::menu_answered_in_two_steps()
{
    ControllerRig rig(answer("*123#", "menu:1. Tarify\\n2. Balans|Tarif izmenen"));
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QCOMPARE(ask(rig, "ussd", "*123#"), QStringLiteral("1"));
    QCOMPARE(reply(), kMenu);
    QCOMPARE(ask(rig, "ussd", "1"), QStringLiteral("0"));
    QCOMPARE(reply(), QStringLiteral("Tarif izmenen"));
    QVERIFY(rig.phone.wait_for_log("ussd menu answered 1", 2000));
}

void TestUssdController::menu_cancelled()
{
    ControllerRig rig(answer("*123#", "menu:1. Tarify\\n2. Balans|Tarif izmenen"));
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QCOMPARE(ask(rig, "ussd", "*123#"), QStringLiteral("1"));
    set_board("ussd_state", "");  // so that the cancel's own state is seen
    QCOMPARE(ask(rig, "ussd_cancel", "1"), QStringLiteral("2"));
    QCOMPARE(reply(), kMenu);  // the menu's text stays readable
    QCOMPARE(rig.phone.count_received("AT+CUSD=2"), 1);
    QVERIFY(rig.phone.wait_for_log("ussd cancelled", 2000));
    // The network holds no menu now: the next request is a fresh one.
    QCOMPARE(ask(rig, "ussd", "*100#"), QStringLiteral("0"));
    QCOMPARE(reply(), kBalance);
}

void TestUssdController::request_that_may_not_go_out_is_refused()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    for (const QString& text : {QStringLiteral("*100#\"\r\nATD0501234567;"), QStringLiteral("*100#\r\n"),
                                QStringLiteral("*1\"#"), QString(65, QLatin1Char('1'))}) {
        set_board("ussd_state", "");
        QCOMPARE(ask(rig, "ussd", text, 3), QStringLiteral("error"));
        QCOMPARE(reply(), QString());
    }
    rig.round();
    QCOMPARE(rig.phone.count_received("AT+CUSD"), 0);
    QCOMPARE(rig.phone.count_received("ATD"), 0);
}

// Logic over time: the clock is moved on, not waited for.
void TestUssdController::silent_network_times_out_and_the_next_request_follows()
{
    ControllerRig rig(answer("*1#", "silent"));
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    set_board("ussd", "*1#");
    rig.round();
    set_board("ussd", "*100#");  // waits its turn, replaces nothing
    for (int n = 0; n < 3; ++n)
        rig.round();
    QCOMPARE(board("ussd_state"), QString());
    QCOMPARE(rig.phone.count_received("AT+CUSD"), 1);
    // The rounds took real time too: well short of the limit still.
    rig.clock.advance(15000);
    rig.round();
    QCOMPARE(board("ussd_state"), QString());
    rig.clock.advance(5000);
    rig.publish();
    QCOMPARE(board("ussd_state"), QStringLiteral("timeout"));
    QCOMPARE(ask(rig, "ussd", "", 6), QStringLiteral("0"));  // the queued one
    QCOMPARE(reply(), kBalance);
    QCOMPARE(rig.phone.count_received("AT+CUSD=1,\"*100#\""), 1);
}

// The answer comes late, when the next poll's reply holds it beside an
// active call: the call list is published as without it.
void TestUssdController::answer_inside_a_call_list_leaves_the_calls_alone()
{
    ControllerRig rig({QStringLiteral("--ussd-delay"), QStringLiteral("400")});
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QVERIFY(rig.phone.control("incoming 0671112233"));
    set_board("vzat_t", "1");
    rig.round();
    rig.round();
    const QString status = board("status"), zvonok = board("zvonok"), buttons = board("knopki_zv");
    QCOMPARE(zvonok, QStringLiteral("@0671112233@@@@@"));

    QCOMPARE(ask(rig, "ussd", "*100#"), QStringLiteral("0"));
    QCOMPARE(reply(), kBalance);
    QCOMPARE(board("status"), status);
    QCOMPARE(board("zvonok"), zvonok);
    QCOMPARE(board("knopki_zv"), buttons);
    // It really came between a poll and that poll's reply being read.
    const QStringList log = rig.phone.log_lines();
    const qsizetype urc = log.indexOf(QRegularExpression(".* TX .*\\+CUSD: 0,.*"));
    QVERIFY(urc > 0);
    QVERIFY2(log.lastIndexOf(QRegularExpression(".* RX AT\\+CLCC.*"), urc)
                 > log.lastIndexOf(QRegularExpression(".* RX AT\\+CUSD.*"), urc),
             qPrintable(log.join('\n')));
}

QTEST_GUILESS_MAIN(TestUssdController)
#include "test_ussd_controller.moc"
