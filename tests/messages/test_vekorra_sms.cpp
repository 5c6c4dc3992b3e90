// The real vekorra-sms on a real message store: wrong arguments, the
// listing in both formats, queuing with its wake-up and line choice, and a
// waiting send that ends with its message's outcome.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <tuple>

#include "messages/message_store.h"
#include "settings_store/settings_store.h"
#include "tests/support/programs.h"
#include "tests/support/test_env.h"

using messages::State;

namespace {

const QString tool = TestEnv::build_dir() + "/vekorra-sms";
// A text meant to break lines and fields, and to clear a terminal.
const QString hostile = "a\tb\nc\\d\x1b[2Je";
const QString hostile_tsv = "a\\tb\\nc\\\\d\\x1b[2Je";

qint64 at(int day, int hour) { return QDateTime(QDate(2024, 5, day), QTime(hour, 0)).toMSecsSinceEpoch(); }

// A bank's code read, one sent and delivered, a hostile text unread.
void fill_store()
{
    messages::MessageStore store;
    messages::ReceivedPart part;
    part.line = "1";
    part.model = "SIMPHONE";
    for (const auto& [number, text, day] : {std::tuple<QString, QString, int>{"PrivatBank", "Kod 1234", 1},
                                           std::tuple<QString, QString, int>{"+380671112233", hostile, 3}}) {
        part.number = number;
        part.text = text;
        part.received_ms = at(day, 9);
        part.fingerprint = text;
        store.keep_received(part);
    }
    store.mark_read("PrivatBank");
    store.set_state(store.queue("2", "0671112233", "Привет", at(2, 9)), State::Delivered);
}

QList<messages::Message> all_messages() { return messages::MessageStore().fetch({}); }

}  // namespace

class TestVekorraSms : public QObject {
    Q_OBJECT

private slots:
    void wrong_arguments_print_usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown") << QStringList{"show"};
        QTest::newRow("list: unknown option") << QStringList{"list", "--all"};
        QTest::newRow("list: csv") << QStringList{"list", "--format", "csv"};
        QTest::newRow("list: format alone") << QStringList{"list", "--format"};
        QTest::newRow("list: since not a date") << QStringList{"list", "--since", "2024-5-1"};
        QTest::newRow("list: empty number") << QStringList{"list", "--number", ""};
        QTest::newRow("send: nothing") << QStringList{"send"};
        QTest::newRow("send: no text") << QStringList{"send", "0671112233"};
        QTest::newRow("send: three") << QStringList{"send", "0671112233", "a", "b"};
        QTest::newRow("send: line 5") << QStringList{"send", "--line", "5", "0671112233", "a"};
        QTest::newRow("send: line word") << QStringList{"send", "--line", "one", "0671112233", "a"};
        QTest::newRow("send: unknown option") << QStringList{"send", "--fast", "0671112233", "a"};
        QTest::newRow("send: no number") << QStringList{"send", "mama", "a"};
        QTest::newRow("send: empty text") << QStringList{"send", "0671112233", ""};
        QTest::newRow("send: 256 parts") << QStringList{"send", "0671112233", QString(255 * 153 + 1, 'a')};
    }

    void wrong_arguments_print_usage()
    {
        QFETCH(QStringList, args);
        TestEnv env;
        const ToolRun run = run_tool(tool, args);
        QCOMPARE(run.exit_code, 2);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.contains("usage:\n  vekorra-sms send"), qPrintable(run.err));
        QVERIFY(all_messages().isEmpty());
    }

    void list_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("texts");  // the text column, in order
        QTest::newRow("all, newest first")
            << QStringList{} << QStringList{hostile, "Привет", "Kod 1234"};
        QTest::newRow("unread") << QStringList{"--unread"} << QStringList{hostile};
        QTest::newRow("a number as typed otherwise")
            << QStringList{"--number", "067 111 22 33", "--format", "tsv"}
            << QStringList{hostile, "Привет"};
        QTest::newRow("a sender's name") << QStringList{"--number", "privatbank"} << QStringList{"Kod 1234"};
        QTest::newRow("since a day") << QStringList{"--since", "2024-05-02"}
                                     << QStringList{hostile, "Привет"};
    }

    void list()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, texts);
        TestEnv env;
        fill_store();
        const ToolRun run = run_tool(tool, QStringList{"list"} + args);
        QCOMPARE(run.exit_code, 0);
        QStringList printed;
        for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
            QCOMPARE(line.count('\t'), 10);
            printed << line.section('\t', 10);
        }
        QStringList written;
        for (const QString& text : texts)
            written << (text == hostile ? hostile_tsv : text);
        QCOMPARE(printed, written);
        const ToolRun json = run_tool(tool, QStringList{"list"} + args + QStringList{"--format", "json"});
        QStringList listed;
        for (const QJsonValue& message : QJsonDocument::fromJson(json.out.toUtf8()).array())
            listed << message.toObject()["text"].toString();
        QCOMPARE(listed, texts);
    }

    void list_fields()
    {
        TestEnv env;
        QCOMPARE(run_tool(tool, {"list", "--format", "json"}).out.trimmed(), QString("[\n]"));
        QVERIFY(!QFile::exists(env.journal_path()));
        fill_store();
        const QStringList fields = run_tool(tool, {"list", "--number", "0671112233"}).out.section('\n', 1, 1).split('\t');
        QCOMPARE(fields.mid(3), (QStringList{"2", "out", "0671112233", "delivered", "1", "", "", "Привет"}));
        QCOMPARE(QDateTime::fromString(fields[1], Qt::ISODate).toMSecsSinceEpoch(), at(2, 9));
        const QJsonObject bank = QJsonDocument::fromJson(run_tool(tool, {"list", "--format", "json"}).out.toUtf8())
                                     .array().last().toObject();
        QCOMPARE(bank["number"].toString(), QString("PrivatBank"));
        QCOMPARE(bank["state"].toString(), QString("read"));
        QCOMPARE(bank["model"].toString(), QString("SIMPHONE"));
        QCOMPARE(bank["parts"].toInt(), 1);
    }

    void send_no_wait_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QString>("line");  // where it was queued and woken; "" none
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("text");
        // Phones 1 and 2 in use; Kyivstar's numbers go through phone 2,
        // Skype takes Vodafone's; phone 3 is a CDMA phone.
        QTest::newRow("chosen line") << QStringList{"--line", "4", "+38 (050) 123-45-67", "Hi"} << QByteArray() << 0
                                     << "4" << "+380501234567" << "Hi";
        QTest::newRow("routed by operator") << QStringList{"0671112233", "-5 at night"} << QByteArray() << 0 << "2"
                                            << "0671112233" << "-5 at night";
        QTest::newRow("rule names Skype: the first phone")
            << QStringList{"0501234567", "x"} << QByteArray() << 0 << "1" << "0501234567" << "x";
        QTest::newRow("standard input, its line end dropped")
            << QStringList{"--line", "1", "--", "0671112233", "-"} << QByteArray("Добрий день\nдо зустрічі\n") << 0
            << "1" << "0671112233" << "Добрий день\nдо зустрічі";
        QTest::newRow("a CDMA phone carries none") << QStringList{"--line", "3", "0671112233", "x"} << QByteArray()
                                                   << 1 << "" << "" << "";
    }

    void send_no_wait()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(int, exit_code);
        QFETCH(QString, line);
        TestEnv env;
        write_setting("Kestrum", "2", "ON", "1");
        write_setting("Kestrum", "3", "Tip_Tlf", "CDMA");
        write_setting("Vekorra", "pravila", "KS", "1");
        write_setting("Vekorra", "pravila", "MTS", "4");
        const ToolRun run = run_tool(tool, QStringList{"send", "--no-wait"} + args, 30000, input);
        QCOMPARE(run.exit_code, exit_code);
        const QList<messages::Message> queued = all_messages();
        QCOMPARE(queued.size(), line.isEmpty() ? 0 : 1);
        for (int slot = 1; slot <= 4; ++slot)
            QCOMPARE(read_setting("Kestrum", QString::number(slot), "sms_ochered", "") == "1", QString::number(slot) == line);
        if (line.isEmpty()) {
            QVERIFY2(run.err.contains("phone 3 carries no text messages"), qPrintable(run.err));
            return;
        }
        QCOMPARE(run.out, QString::number(queued[0].id) + "\n");
        QCOMPARE(queued[0].line, line);
        QCOMPARE(queued[0].state, State::Queued);
        QTEST(queued[0].number, "number");
        QTEST(queued[0].text, "text");
    }

    void send_waits_for_the_outcome_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("exit_code");
        QTest::newRow("sent") << int(State::Sent) << QString() << 0;
        QTest::newRow("delivered") << int(State::Delivered) << QString() << 0;
        QTest::newRow("failed") << int(State::Failed) << QString("Сеть отклонила сообщение (код 500)") << 1;
        QTest::newRow("failed without reason") << int(State::Failed) << QString() << 1;
    }

    // The test plays the controller: it sees the wake-up, marks the message.
    void send_waits_for_the_outcome()
    {
        QFETCH(int, state);
        QFETCH(QString, reason);
        QFETCH(int, exit_code);
        TestEnv env;
        QProcess process;
        process.start(tool, {"send", "0671112233", "Kod?"});
        QVERIFY(wait_until([] { return take_setting("Kestrum", "1", "sms_ochered", "", true) == "1"; }, 10000));
        messages::MessageStore store;
        const QList<messages::Message> queued = store.queued("1");
        QCOMPARE(queued.size(), 1);
        QTest::qWait(300);
        QCOMPARE(process.state(), QProcess::Running);
        QVERIFY(store.set_state(queued[0].id, State::Sending));
        QVERIFY(store.set_state(queued[0].id, State(state), reason));
        QVERIFY(process.waitForFinished(15000));
        QCOMPARE(process.exitCode(), exit_code);
        QCOMPARE(process.readAllStandardOutput(), QByteArray::number(queued[0].id) + "\n");
        const QString err = QString::fromUtf8(process.readAllStandardError());
        if (exit_code == 0)
            QCOMPARE(err, QString());
        else
            QCOMPARE(err, "vekorra-sms: not sent: " + (reason.isEmpty() ? QString("no reason given") : reason) + "\n");
    }
};

QTEST_GUILESS_MAIN(TestVekorraSms)
#include "test_vekorra_sms.moc"
