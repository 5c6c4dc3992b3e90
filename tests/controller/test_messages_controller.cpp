// Text messages through the real controller and a simulated phone on a
// pseudo-terminal: received (announced or listed), joined, kept, deleted;
// sent in parts with delivery reports; refused; a call that comes first.
// And the phone's phonebook, read between calls like them.
#include <QtTest>

#include <thread>

#include "controller_fixture.h"
#include "contacts/contact_files.h"
#include "messages/message_store.h"

namespace {
const QString kLong = QString(QStringLiteral("Длинное сообщение в нескольких частях. ")).repeated(4) + "Конец.";

struct MessagesRig : ControllerRig {
    explicit MessagesRig(const QStringList& options) : ControllerRig(options)
    {
        controller->messages_line().open(QStringLiteral("1"));
    }
    // Rounds until done() holds; whether it did.
    bool rounds_until(const std::function<bool()>& done, int rounds = 40)
    {
        for (int n = 0; n < rounds && !done(); ++n) {
            round();
            QTest::qWait(20);
        }
        return done();
    }
    QStringList texts()
    {
        QStringList texts;
        for (const messages::Message& message : store.fetch({}))
            texts << message.number + QLatin1Char(':') + message.text;
        texts.sort();
        return texts;
    }
    int phone_holds() { return phone.control_answer("sms-status").section(' ', 2, 2).toInt(); }

    messages::MessageStore store;
};
}  // namespace

class TestMessagesController : public QObject {
    Q_OBJECT

private slots:
    void received_data();
    void received();
    void kept_once_when_left_on_the_phone();
    void sent_data();
    void sent();
    void a_call_goes_first();
    void phonebook_read_after_connecting_and_on_demand();
};

void TestMessagesController::received_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("before");  // arrive before the controller connects
    QTest::addColumn<QStringList>("after");   // arrive while it runs
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("mode");
    const QString hello = QStringLiteral("+380671234567:Привет, мама");
    QTest::newRow("announced, PDU mode") << QStringList() << QStringList()
                                         << QStringList{"sms +380671234567 Привет, мама"} << QStringList{hello}
                                         << "pdu";
    QTest::newRow("listed at connect, bank's name")
        << QStringList() << QStringList{"sms PrivatBank Kod: 4711 {OK}"} << QStringList()
        << QStringList{"PrivatBank:Kod: 4711 {OK}"} << "pdu";
    // Listed at connect: a reply longer than the port's receive buffer.
    QTest::newRow("parts out of order, UCS2")
        << QStringList() << QStringList{"sms --ucs2 --parts 3 --order 3,1,2 +380671234567 " + kLong,
                                        "sms --ucs2 --parts 3 --order 2,3,1 +380501234567 " + kLong}
        << QStringList() << QStringList{"+380501234567:" + kLong, "+380671234567:" + kLong} << "pdu";
    // The network holds what a full memory cannot take, until a place is freed.
    QTest::newRow("full memory")
        << QStringList{"--sms-capacity", "1"}
        << QStringList{"sms +380501110001 one", "sms +380501110002 two", "sms +380501110003 three"} << QStringList()
        << QStringList{"+380501110001:one", "+380501110002:two", "+380501110003:three"} << "pdu";
    QTest::newRow("text mode") << QStringList{"--sms-text-only"} << QStringList{"sms +380671234567 Привет, мама"}
                               << QStringList{"sms 0501234567 Hello"}
                               << QStringList{hello, "0501234567:Hello"} << "text";
    // Without announcements the phone is listed again every 30 s.
    QTest::newRow("announcing nothing, no reports")
        << QStringList{"--sms-cnmi", "3,3,3,3,3"} << QStringList() << QStringList{"sms 0501234567 Hello"}
        << QStringList{"0501234567:Hello"} << "pdu-bez-otchetov";
}

void TestMessagesController::received()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(QStringList, texts);
    MessagesRig rig(options);
    QVERIFY(rig.phone.ready());
    for (const QString& line : before)
        QVERIFY2(rig.phone.control(line), qPrintable(line));
    rig.connect_phone();
    QVERIFY(rig.rounds_until([&] { return rig.texts().size() == before.size(); }));
    for (const QString& line : after)
        QVERIFY2(rig.phone.control(line), qPrintable(line));
    QVERIFY2(rig.rounds_until([&] {
                 rig.clock.advance(10000);
                 return rig.texts() == texts;
             }),
             qPrintable(rig.texts().join('|')));
    QTEST(board("sms_rezhim"), "mode");
    QVERIFY(rig.rounds_until([&] { return rig.phone_holds() == 0; }));
    QCOMPARE(rig.store.unread_total(), texts.size());
    // Dated by the calendar, as retention and the window read it.
    const qint64 received = rig.store.fetch({}).first().received_ms;
    QVERIFY2(qAbs(received - QDateTime::currentMSecsSinceEpoch()) < 10 * 60 * 1000, qPrintable(QString::number(received)));
}

void TestMessagesController::kept_once_when_left_on_the_phone()
{
    MessagesRig rig({});
    write_setting("Vekorra", "drugoe", "sms_udalyat", "0");
    QVERIFY(rig.phone.control("sms +380671234567 Stays"));
    rig.connect_phone();
    QVERIFY(rig.rounds_until([&] { return rig.texts().size() == 1; }));
    // Listed again after a reconnect: seen before, not kept again.
    rig.controller->messages_line().connected(QStringLiteral("SIM"));
    QVERIFY(rig.rounds_until([&] { return rig.phone.count_received("AT+CMGL") == 2; }));
    rig.round();
    QCOMPARE(rig.texts(), QStringList{"+380671234567:Stays"});
    QCOMPARE(rig.phone_holds(), 1);
}

void TestMessagesController::sent_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("parts");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("reason");
    QTest::newRow("long, delivered") << QStringList() << "" << kLong << 3 << "delivered" << "";
    QTest::newRow("refused by the network") << QStringList() << "sms-refuse 330" << "Hi" << 0 << "failed"
                                            << "неизвестен номер центра сообщений";
    QTest::newRow("text mode, sent") << QStringList{"--sms-text-only"} << "sms-reports off" << "Привет" << 1 << "sent"
                                     << "";
}

void TestMessagesController::sent()
{
    QFETCH(QStringList, options);
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(int, parts);
    MessagesRig rig(options);
    QVERIFY(rig.phone.ready());
    if (!control.isEmpty())
        QVERIFY(rig.phone.control(control));
    rig.connect_phone();
    const qint64 id = rig.store.queue("1", "+380671234567", text, 1000);
    set_board("sms_ochered", "1");
    QFETCH(QString, state);
    const auto state_now = [&] { return messages::state_text(rig.store.message(id).state); };
    QVERIFY2(rig.rounds_until([&] { return state_now() == state; }), qPrintable(state_now()));
    QCOMPARE(rig.phone.log_lines().filter(" sms sent ").size(), parts);
    QTEST(rig.store.message(id).reason, "reason");
    QCOMPARE(board("sms_ochered"), QString());
}

void TestMessagesController::a_call_goes_first()
{
    // Each reply takes its time, so that the call comes amid the parts.
    MessagesRig rig({"--reply-delay", "100", "--ring-urc", "3000"});
    rig.connect_phone();
    rig.round();
    const qint64 id = rig.store.queue("1", "+380671234567", kLong.repeated(2), 1000);
    set_board("sms_ochered", "1");
    std::thread caller([&] {
        for (int n = 0; n < 200 && rig.phone.count_received("AT+CMGS") == 0; ++n)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        rig.phone.control("incoming 0501234567");
    });
    const bool delivered =
        rig.rounds_until([&] { return rig.store.message(id).state == messages::State::Delivered; });
    caller.join();
    QVERIFY2(delivered, qPrintable(messages::state_text(rig.store.message(id).state)));
    // The call list was read between the parts, not after the last.
    const QStringList asked = rig.phone.received().filter(QRegularExpression("^AT\\+(CMGS|CLCC)"));
    const qsizetype first_send = asked.indexOf(QRegularExpression("AT\\+CMGS.*"));
    const qsizetype last_send = asked.lastIndexOf(QRegularExpression("AT\\+CMGS.*"));
    QVERIFY2(asked.mid(first_send, last_send - first_send).contains("AT+CLCC"), qPrintable(asked.join('|')));
    QCOMPARE(rig.phone.log_lines().filter(" sms sent ").size(), 5);
}

void TestMessagesController::phonebook_read_after_connecting_and_on_demand()
{
    MessagesRig rig({"--contact", "SM,0671234567,Мама", "--contact", "ME,+380445551100,Бухгалтерия"});
    rig.controller->phonebook_line().open("1");
    rig.connect_phone();
    const auto cached = [] {
        QFile cache(contacts::phonebook_folder() + "/line-1.vcf");
        return cache.open(QIODevice::ReadOnly) ? QString::fromUtf8(cache.readAll()) : QString();
    };
    QVERIFY(rig.rounds_until([&] { return cached().contains("Бухгалтерия"); }));
    QVERIFY(cached().contains("Мама"));
    // The phone is back in its own character set, and read again on demand.
    QCOMPARE(rig.phone.received().filter("AT+CSCS=").last(), QStringLiteral("AT+CSCS=\"GSM\""));
    const int reads = rig.phone.count_received("AT+CPBS?");
    set_board("kniga_chitat", "1");
    QVERIFY(rig.rounds_until([&] { return rig.phone.count_received("AT+CPBS?") > reads; }));
}

QTEST_GUILESS_MAIN(TestMessagesController)
#include "test_messages_controller.moc"
