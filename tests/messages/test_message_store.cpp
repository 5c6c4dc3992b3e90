// The message store on a real journal file: parts joined in any order,
// a message seen twice kept once, parts left incomplete, the conversation
// list with unread counts, and a sent message through its status reports.
#include <QTemporaryDir>
#include <QtTest>

#include "messages/message_store.h"

using namespace messages;

namespace {

constexpr qint64 day_ms = 24LL * 3600 * 1000;
constexpr qint64 t0 = 1733817600000;  // 2024-12-10 08:00 UTC

ReceivedPart part(const QString& number, const QString& text, int reference, int count, int sequence, qint64 at)
{
    ReceivedPart p;
    p.line = QStringLiteral("1");
    p.model = QStringLiteral("PhoneSim 3000");
    p.number = number;
    p.text = text;
    p.sent_ms = at - 1000;
    p.received_ms = at;
    p.reference = reference;
    p.count = count;
    p.sequence = sequence;
    p.fingerprint = QStringLiteral("%1/%2/%3/%4").arg(number).arg(reference).arg(sequence).arg(text);
    return p;
}

}  // namespace

class TestMessageStore : public QObject {
    Q_OBJECT
private slots:
    void received_messages_and_conversations();
    void sent_message_through_its_reports();
};

void TestMessageStore::received_messages_and_conversations()
{
    QTemporaryDir dir;
    MessageStore store(dir.filePath(QStringLiteral("journal.sqlite")));
    qint64 id = 0;
    // Parts 3, 1, 2 of one message; the same part again is no new part.
    QCOMPARE(store.keep_received(part("+380671234567", "three", 9, 3, 3, t0)), Kept::Waiting);
    QCOMPARE(store.keep_received(part("+380671234567", "one ", 9, 3, 1, t0 + 10)), Kept::Waiting);
    QCOMPARE(store.keep_received(part("+380671234567", "one ", 9, 3, 1, t0 + 10)), Kept::Known);
    QCOMPARE(store.keep_received(part("+380671234567", "two ", 9, 3, 2, t0 + 20), &id), Kept::New);
    Message joined = store.message(id);
    QCOMPARE(joined.text, QStringLiteral("one two three"));
    QCOMPARE(joined.parts, 3);
    QCOMPARE(joined.received_ms, t0);
    QCOMPARE(joined.state, State::Received);
    // A bank's name and the national form of the same number.
    QCOMPARE(store.keep_received(part("PrivatBank", "Kod: 1234", 0, 1, 1, t0 + 100)), Kept::New);
    QCOMPARE(store.keep_received(part("0671234567", "again", 0, 1, 1, t0 + 200)), Kept::New);
    // Two of three parts, a day later: kept with a mark of what is missing.
    QCOMPARE(store.keep_received(part("+380501112233", "first ", 200, 3, 1, t0 + 300)), Kept::Waiting);
    QCOMPARE(store.keep_received(part("+380501112233", "last", 200, 3, 3, t0 + 310)), Kept::Waiting);
    QCOMPARE(store.close_incomplete(t0 + day_ms), 0);
    QCOMPARE(store.close_incomplete(t0 + 300 + day_ms), 1);

    const QList<Conversation> list = store.conversations();
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[0].number, QStringLiteral("+380501112233"));
    QCOMPARE(list[0].last_state, State::Incomplete);
    QCOMPARE(list[0].last_text, QStringLiteral("first …last"));
    QCOMPARE(list[1].number, QStringLiteral("0671234567"));
    QCOMPARE(list[1].unread, 2);
    QCOMPARE(list[2].number, QStringLiteral("PrivatBank"));
    QCOMPARE(store.unread_total(), 3);
    QCOMPARE(store.conversation(QStringLiteral("+380671234567")).size(), 2);
    QCOMPARE(store.conversation(QStringLiteral("privatbank")).first().text, QStringLiteral("Kod: 1234"));

    QVERIFY(store.mark_read(QStringLiteral("+380 67 123 45 67")));
    QCOMPARE(store.unread_total(), 1);
    QCOMPARE(store.fetch({QString(), true, 0}).size(), 1);
    QCOMPARE(store.fetch({QStringLiteral("0671234567"), false, t0 + 150}).size(), 1);
    QCOMPARE(store.remove_conversation(QStringLiteral("0671234567")), 2);
    QVERIFY(store.remove(store.fetch({QStringLiteral("PrivatBank"), false, 0}).first().id));
    QCOMPARE(store.conversations().size(), 1);
    // Retention as the journal's: older than the days go, 0 keeps all; a
    // message still listed by the phone stays known.
    QCOMPARE(store.keep_received(part("0671234567", "again", 0, 1, 1, t0 + 39 * day_ms)), Kept::Known);
    QCOMPARE(store.remove_older_than_days(0, t0 + 40 * day_ms), 0);
    QCOMPARE(store.remove_older_than_days(30, t0 + 40 * day_ms), 1);
    QVERIFY(store.conversations().isEmpty());
    QCOMPARE(store.keep_received(part("0671234567", "again", 0, 1, 1, t0 + 40 * day_ms)), Kept::Known);
}

void TestMessageStore::sent_message_through_its_reports()
{
    QTemporaryDir dir;
    MessageStore store(dir.filePath(QStringLiteral("journal.sqlite")));
    const qint64 id = store.queue(QStringLiteral("2"), QStringLiteral("+380931234567"), QStringLiteral("long"), t0);
    QVERIFY(id > 0);
    QCOMPARE(store.queued(QStringLiteral("1")).size(), 0);
    QCOMPARE(store.queued(QStringLiteral("2")).size(), 1);
    QVERIFY(store.set_state(id, State::Sending));
    QVERIFY(store.part_sent(id, QStringLiteral("2"), 1, 41));
    QVERIFY(store.part_sent(id, QStringLiteral("2"), 2, 42));
    QVERIFY(store.set_state(id, State::Sent));
    QCOMPARE(store.report(QStringLiteral("2"), 42, true, {}), id);
    QCOMPARE(store.message(id).state, State::Sent);  // one part of two
    QCOMPARE(store.report(QStringLiteral("1"), 41, true, {}), 0);  // another line's reference
    QCOMPARE(store.report(QStringLiteral("2"), 41, true, {}), id);
    QCOMPARE(store.message(id).state, State::Delivered);

    // Refused, then sent again; one sending when the controller stopped fails.
    const qint64 other = store.queue(QStringLiteral("2"), QStringLiteral("0501234567"), QStringLiteral("x"), t0 + 5);
    QVERIFY(!store.resend(other, t0 + 6));
    QVERIFY(store.set_state(other, State::Failed, QStringLiteral("Нет денег на счёте")));
    QCOMPARE(store.message(other).reason, QStringLiteral("Нет денег на счёте"));
    QVERIFY(store.resend(other, t0 + 7));
    QCOMPARE(store.message(other).state, State::Queued);
    QVERIFY(store.set_state(other, State::Sending));
    // Taken back only while no phone has begun to send it.
    QVERIFY(!store.withdraw(other));
    const qint64 waiting = store.queue(QStringLiteral("3"), QStringLiteral("0501234567"), QStringLiteral("y"), t0);
    QVERIFY(store.withdraw(waiting) && store.message(waiting).id == 0 && !store.withdraw(waiting));
    QCOMPARE(store.interrupt_sending(QStringLiteral("2")), 1);
    QCOMPARE(store.message(other).state, State::Failed);
    QVERIFY(store.remove_older_than_days(1, t0 + 10 * day_ms) == 2);
}

QTEST_GUILESS_MAIN(TestMessageStore)
#include "test_message_store.moc"
