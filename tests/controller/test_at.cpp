#include "controller/at.h"

#include <QtTest>
#include <functional>

namespace {

const QString A = QStringLiteral("0501234567");
const QString B = QStringLiteral("0671234567");
const QString C = QStringLiteral("0631234567");

// One call entry as the phone lists it: index, direction, state, mode 0,
// no multiparty, the number in quotes and its type.
QString entry(int index, const QString& direction, const QString& state, const QString& number)
{
    return QStringLiteral("+CLCC: %1,%2,%3,0,0,\"%4\",129 ")
        .arg(index).arg(direction, state, number);
}

// The normalised reply: the entries separated by spaces, then "OK".
QString listed(const QStringList& entries)
{
    return entries.join(QString()) + QStringLiteral("OK");
}

// The two-call reply: A outgoing and active, B incoming and held.
QString active_and_held()
{
    return listed({entry(1, "0", "0", A), entry(2, "1", "1", B)});
}

// The six yes/no answers in one text: active, incoming, waiting,
// outgoing setup, conference kind, can join.
QString flags(const QString& reply)
{
    return QStringLiteral("%1%2%3%4%5%6")
        .arg(at::has_active(reply))
        .arg(at::has_incoming(reply))
        .arg(at::has_waiting(reply))
        .arg(at::has_outgoing_setup(reply))
        .arg(at::conference_kind(reply))
        .arg(at::can_join(reply));
}

}  // namespace

class TestAt : public QObject
{
    Q_OBJECT

private slots:
    void summaries_data();
    void summaries();
    void state_text_data();
    void state_text();
    void list_items_data();
    void list_items();
    void entry_without_state_fails_data();
    void entry_without_state_fails();
};

void TestAt::summaries_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("incoming");
    QTest::addColumn<QString>("waiting");
    QTest::addColumn<QString>("outgoing_number");
    QTest::addColumn<QString>("outgoing_text");
    QTest::addColumn<QString>("list");

    const QString held_in = QStringLiteral("Удерж. / (Вх. вызов);");
    const QString active_out = QStringLiteral("Разг. / (Исх. вызов);");
    const QString active_in = QStringLiteral("Разг. / (Вх. вызов);");
    const QString held_out = QStringLiteral("Удерж. / (Исх. вызов);");
    const QString dialling = QStringLiteral("Набор номера....");
    const QString alerting = QStringLiteral("Ожидание ответа....");

    QTest::newRow("empty reply") << "" << "000000" << "" << "" << "" << "" << "";
    QTest::newRow("no calls") << "OK" << "000000" << "" << "" << "" << "" << "";
    QTest::newRow("failed exchange") << "ER" << "000000" << "" << "" << "" << "" << "";
    QTest::newRow("error reply") << "ERROR" << "000000" << "" << "" << "" << "" << "";
    QTest::newRow("active and held")
        << active_and_held() << "100001" << "" << "" << "" << ""
        << B + "," + held_in + A + "," + active_out;
    QTest::newRow("text before the first entry is ignored")
        << "RING 1,2,3 " + active_and_held() << "100001" << "" << "" << "" << ""
        << B + "," + held_in + A + "," + active_out;
    QTest::newRow("states 0,0,1")
        << listed({entry(1, "0", "0", A), entry(2, "0", "0", B), entry(3, "1", "1", C)})
        << "100010" << "" << "" << "" << ""
        << C + "," + held_in + B + "," + active_out + A + "," + active_out;
    QTest::newRow("states 1,1,0")
        << listed({entry(1, "0", "1", A), entry(2, "1", "1", B), entry(3, "0", "0", C)})
        << "100021" << "" << "" << "" << ""
        << C + "," + active_out + B + "," + held_in + A + "," + held_out;
    QTest::newRow("two held, none active")
        << listed({entry(1, "0", "1", A), entry(2, "1", "1", B)})
        << "000020" << "" << "" << "" << ""
        << B + "," + held_in + A + "," + held_out;
    QTest::newRow("two active")
        << listed({entry(1, "0", "0", A), entry(2, "1", "0", B)})
        << "100010" << "" << "" << "" << ""
        << B + "," + active_in + A + "," + active_out;
    QTest::newRow("single held") << listed({entry(1, "0", "1", A)}) << "000001" << "" << ""
                                 << "" << "" << A + "," + held_out;
    QTest::newRow("two incoming: the later one")
        << listed({entry(1, "1", "4", A), entry(2, "1", "4", B)})
        << "010000" << B << "" << "" << "" << "";
    QTest::newRow("active and waiting")
        << listed({entry(1, "0", "0", A), entry(2, "1", "5", B)})
        << "101000" << "" << B << "" << "" << A + "," + active_out;
    QTest::newRow("dialling") << listed({entry(1, "0", "2", A)}) << "000100" << "" << ""
                              << A << dialling << "";
    QTest::newRow("alerting") << listed({entry(1, "0", "3", A)}) << "000100" << "" << ""
                              << A << alerting << "";
    QTest::newRow("held, then a new call alerting")
        << listed({entry(1, "0", "1", A), entry(2, "0", "2", C), entry(3, "0", "3", B)})
        << "000101" << "" << "" << B << alerting << A + "," + held_out;
    QTest::newRow("state with spaces counts, list keeps its text")
        << "+CLCC: 1,0, 0 ,0,0,\"" + A + "\",129 OK" << "100000" << "" << "" << "" << ""
        << A + ", 0  / (Исх. вызов);";
    QTest::newRow("state with spaces read as its number")
        << "+CLCC: 1,1, 4 ,0,0,\"" + A + "\",129 OK" << "010000" << A << "" << "" << "" << "";
    QTest::newRow("state not a number counts as active")
        << "+CLCC: 1,1,x,0,0,\"" + A + "\",129 OK" << "100000" << "" << "" << "" << ""
        << A + ",x / (Вх. вызов);";
    QTest::newRow("state read by its leading number")
        << "+CLCC: 1,1,4x,0,0,\"" + A + "\",129 OK" << "010000" << A << "" << "" << "" << "";
    QTest::newRow("unknown state is no call of interest")
        << listed({entry(1, "1", "6", A)}) << "000000" << "" << "" << "" << "" << "";
    QTest::newRow("unknown direction kept as written")
        << listed({entry(1, "2", "0", A)}) << "100000" << "" << "" << "" << ""
        << A + ",Разг. / 2;";
    QTest::newRow("number keeps text after its quotes")
        << "+CLCC: 1,1,4,0,0,\"" + A + "\" OK" << "010000" << A + " OK" << "" << "" << ""
        << "";
    // Withheld caller ID: the entry ends after the multiparty flag, or
    // the number is listed empty.
    QTest::newRow("withheld incoming, no number field")
        << "+CLCC: 1,1,4,0,0 OK" << "010000" << "" << "" << "" << "" << "";
    QTest::newRow("withheld incoming, empty number")
        << "+CLCC: 1,1,4,0,0,\"\",128 OK" << "010000" << "" << "" << "" << "" << "";
    QTest::newRow("withheld waiting beside an active call")
        << entry(1, "0", "0", A) + "+CLCC: 2,1,5,0,0 OK" << "101000" << "" << "" << "" << ""
        << A + "," + active_out;
    QTest::newRow("withheld call active")
        << "+CLCC: 1,1,0,0,0 OK" << "100000" << "" << "" << "" << "" << "," + active_in;
    QTest::newRow("withheld incoming after a held call")
        << entry(1, "0", "1", A) + "+CLCC: 2,1,4,0,0 OK" << "010001" << "" << "" << "" << ""
        << A + "," + held_out;
}

void TestAt::summaries()
{
    QFETCH(QString, reply);
    QTEST(flags(reply), "flags");
    QTEST(at::incoming_number(reply), "incoming");
    QTEST(at::waiting_number(reply), "waiting");
    QTEST(at::outgoing_call(reply, 0), "outgoing_number");
    QTEST(at::outgoing_call(reply, 1), "outgoing_text");
    QTEST(at::call_list(reply), "list");
}

void TestAt::state_text_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("text");

    const char* texts[] = {
        "Разговор", "Вызов удержан на второй линии", "Набор номера",
        "Выполняется соединение....", "Входящий вызов", "Дозвон по второй линии",
    };
    for (int state = 0; state < 6; ++state)
        QTest::addRow("state %d", state)
            << listed({entry(1, "1", QString::number(state), A)}) << 1
            << QString::fromUtf8(texts[state]);
    QTest::newRow("state 6") << listed({entry(1, "1", "6", A)}) << 1 << "";
    QTest::newRow("entry 1 of two") << active_and_held() << 1 << QString::fromUtf8(texts[0]);
    QTest::newRow("entry 2 of two") << active_and_held() << 2 << QString::fromUtf8(texts[1]);
    QTest::newRow("no entry 3") << active_and_held() << 3 << "";
    QTest::newRow("no entry 0") << active_and_held() << 0 << "";
    QTest::newRow("no calls") << "OK" << 1 << "";
    QTest::newRow("state with spaces") << "+CLCC: 1,0, 0 ,0,0,\"" + A + "\",129 OK" << 1
                                       << QString::fromUtf8(texts[0]);
    QTest::newRow("state not a number") << "+CLCC: 1,1,x,0,0,\"" + A + "\",129 OK" << 1 << "";
    QTest::newRow("state with trailing text") << "+CLCC: 1,1,4x,0,0 OK" << 1 << "";
    QTest::newRow("withheld number") << "+CLCC: 1,1,4,0,0 OK" << 1
                                     << QString::fromUtf8(texts[4]);
    QTest::newRow("only the asked entry needs a state")
        << entry(1, "0", "0", A) + "+CLCC: 2 OK" << 1 << QString::fromUtf8(texts[0]);
}

void TestAt::state_text()
{
    QFETCH(QString, reply);
    QFETCH(int, n);
    QTEST(at::call_state_text(reply, n), "text");
}

void TestAt::list_items_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("number");

    QStringList six;
    for (int i = 1; i <= 6; ++i)
        six << entry(i, "0", i % 2 ? "0" : "1", QStringLiteral("05000000%1").arg(i, 2, 10, QChar('0')));

    QTest::newRow("item 1 is the last listed") << active_and_held() << 1
                                               << "Удерж. / (Вх. вызов)" << B;
    QTest::newRow("item 2") << active_and_held() << 2 << "Разг. / (Исх. вызов)" << A;
    QTest::newRow("no item 3") << active_and_held() << 3 << "" << "";
    QTest::newRow("no item 0") << active_and_held() << 0 << "" << "";
    QTest::newRow("no calls") << "OK" << 1 << "" << "";
    QTest::newRow("ringing and dialling calls are no items")
        << listed({entry(1, "1", "4", B), entry(2, "0", "0", A), entry(3, "0", "2", C)}) << 2
        << "" << "";
    QTest::newRow("item 6 of six is the first listed") << listed(six) << 6
                                                       << "Разг. / (Исх. вызов)" << "0500000001";
    QTest::newRow("item 7 of six") << listed(six) << 7 << "" << "";
    QTest::newRow("withheld active call") << "+CLCC: 1,1,0,0,0 OK" << 1
                                          << "Разг. / (Вх. вызов)" << "";
}

void TestAt::list_items()
{
    QFETCH(QString, reply);
    QFETCH(int, n);
    QTEST(at::call_list_state(reply, n), "state");
    QTEST(at::call_list_number(reply, n), "number");
}

void TestAt::entry_without_state_fails_data()
{
    QTest::addColumn<QString>("reply");
    QTest::newRow("only entry ends after its direction") << "+CLCC: 1,1 OK";
    QTest::newRow("later entry ends after its index") << entry(1, "1", "4", A) + "+CLCC: 2 OK";
    QTest::newRow("empty entry") << entry(1, "0", "0", A) + "+CLCC: OK";
}

void TestAt::entry_without_state_fails()
{
    QFETCH(QString, reply);
    const QList<std::pair<const char*, std::function<void()>>> questions = {
        {"has_active", [&] { at::has_active(reply); }},
        {"has_incoming", [&] { at::has_incoming(reply); }},
        {"has_waiting", [&] { at::has_waiting(reply); }},
        {"has_outgoing_setup", [&] { at::has_outgoing_setup(reply); }},
        {"conference_kind", [&] { at::conference_kind(reply); }},
        {"can_join", [&] { at::can_join(reply); }},
        {"incoming_number", [&] { at::incoming_number(reply); }},
        {"waiting_number", [&] { at::waiting_number(reply); }},
        {"outgoing_call 0", [&] { at::outgoing_call(reply, 0); }},
        {"outgoing_call 1", [&] { at::outgoing_call(reply, 1); }},
        {"call_list", [&] { at::call_list(reply); }},
        {"call_list_state", [&] { at::call_list_state(reply, 1); }},
        {"call_list_number", [&] { at::call_list_number(reply, 1); }},
    };
    for (const auto& [name, ask] : questions) {
        bool failed = false;
        try {
            ask();
        } catch (const AtFieldMissing&) {
            failed = true;
        }
        QVERIFY2(failed, name);
    }
    // The entry without a state has no state text to give.
    const int last = int(reply.count(QStringLiteral("+CLCC:")));
    QVERIFY_THROWS_EXCEPTION(AtFieldMissing, at::call_state_text(reply, last));
}

QTEST_APPLESS_MAIN(TestAt)
#include "test_at.moc"
