#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "journal/journal.h"
#include "tests/support/programs.h"
#include "tests/support/test_env.h"

using journal::Direction;
using journal::Outcome;

namespace {

ToolRun run_tool(const QStringList& args)
{
    return ::run_tool(TestEnv::build_dir() + "/vekorra-journal", args);
}

qint64 at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2024, 5, day), QTime(hour, minute)).toMSecsSinceEpoch();
}

// Four calls over three days (local time), newest last.
void fill_journal()
{
    journal::Journal journal;
    qint64 id = journal.call_started("1", "SIMPHONE-900", Direction::In, "0671112233", at(1, 9));
    journal.call_ended(id, at(1, 9, 1), Outcome::Missed);
    id = journal.call_started("2", "Modem, \"v2\"", Direction::Out, "0502223344", at(2, 23, 59));
    journal.call_answered(id, at(3, 0, 0));
    journal.call_ended(id, at(3, 0, 2) + 5500, Outcome::Answered);
    journal.handed_over("skype", "+380633334455", at(3, 12));
    id = journal.call_started("1", "SIMPHONE-900", Direction::In, "", at(3, 13));
    journal.call_ended(id, at(3, 13, 1), Outcome::Missed);
}

QStringList lines(const QString& out) { return out.split('\n', Qt::SkipEmptyParts); }

}  // namespace

class TestVekorraJournal : public QObject {
    Q_OBJECT

private slots:
    void list_prints_tsv_newest_first()
    {
        TestEnv env;
        fill_journal();
        const ToolRun run = run_tool({"list"});
        QCOMPARE(run.exit_code, 0);
        QCOMPARE(run.err, QString());
        const QStringList printed = lines(run.out);
        QCOMPARE(printed.size(), 4);
        QStringList without_times;
        for (const QString& line : printed) {
            QStringList fields = line.split('\t');
            QCOMPARE(fields.size(), 7);
            // The start in ISO 8601 with its offset, the stored moment.
            QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:\\d\\d)$")
                         .match(fields[0]).hasMatch(), qPrintable(fields[0]));
            fields[0] = QString::number(QDateTime::fromString(fields[0], Qt::ISODate).toMSecsSinceEpoch());
            without_times << fields.join(' ');
        }
        QCOMPARE(without_times,
                 QStringList({QString::number(at(3, 13)) + " 1 in  missed 0 SIMPHONE-900",
                              QString::number(at(3, 12)) + " skype out +380633334455 handed-over 0 ",
                              QString::number(at(2, 23, 59)) + " 2 out 0502223344 answered 125 Modem, \"v2\"",
                              QString::number(at(1, 9)) + " 1 in 0671112233 missed 0 SIMPHONE-900"}));
    }

    void list_filters_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("numbers");  // the number column, in order
        QTest::newRow("missed") << QStringList{"--missed"} << QStringList{"", "0671112233"};
        QTest::newRow("since a day, local midnight")
            << QStringList{"--since", "2024-05-03"} << QStringList{"", "+380633334455"};
        QTest::newRow("since the day before")
            << QStringList{"--since", "2024-05-02"} << QStringList{"", "+380633334455", "0502223344"};
        QTest::newRow("search a part") << QStringList{"--search", "3334"}
                                       << QStringList{"+380633334455"};
        QTest::newRow("search across calls") << QStringList{"--search", "22"}
                                             << QStringList{"0502223344", "0671112233"};
        QTest::newRow("all together")
            << QStringList{"--search", "067", "--missed", "--since", "2024-05-01", "--format", "tsv"}
            << QStringList{"0671112233"};
        QTest::newRow("nothing found") << QStringList{"--search", "999"} << QStringList{};
    }

    void list_filters()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, numbers);
        TestEnv env;
        fill_journal();
        const ToolRun run = run_tool(QStringList{"list"} + args);
        QCOMPARE(run.exit_code, 0);
        QStringList printed;
        for (const QString& line : lines(run.out))
            printed << line.section('\t', 3, 3);
        QCOMPARE(printed, numbers);
    }

    void list_csv_and_json()
    {
        TestEnv env;
        fill_journal();
        const ToolRun csv = run_tool({"list", "--format", "csv", "--search", "050"});
        QCOMPARE(csv.exit_code, 0);
        QVERIFY2(csv.out.endsWith(",2,out,0502223344,answered,125,\"Modem, \"\"v2\"\"\"\r\n"), qPrintable(csv.out));
        QCOMPARE(csv.out.count("\r\n"), 1);
        const ToolRun json = run_tool({"list", "--format", "json", "--missed"});
        QCOMPARE(json.exit_code, 0);
        const QJsonArray calls = QJsonDocument::fromJson(json.out.toUtf8()).array();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[1].toObject()["number"].toString(), QString("0671112233"));
        QCOMPARE(calls[1].toObject()["line"].toString(), QString("1"));
        QCOMPARE(calls[1].toObject()["direction"].toString(), QString("in"));
        QCOMPARE(calls[1].toObject()["model"].toString(), QString("SIMPHONE-900"));
        QCOMPARE(calls[0].toObject()["talk_seconds"].toInt(), 0);
    }

    void clear_removes_calls_before_a_day()
    {
        TestEnv env;
        fill_journal();
        const ToolRun run = run_tool({"clear", "--before", "2024-05-03"});
        QCOMPARE(run.exit_code, 0);
        QCOMPARE(run.out + run.err, QString());
        QStringList numbers;
        for (const QString& line : lines(run_tool({"list"}).out))
            numbers << line.section('\t', 3, 3);
        QCOMPARE(numbers, QStringList({"", "+380633334455"}));
    }

    void a_missing_journal_is_empty_and_stays_missing()
    {
        TestEnv env;
        const ToolRun run = run_tool({"list"});
        QCOMPARE(run.exit_code, 0);
        QCOMPARE(run.out, QString());
        QCOMPARE(run_tool({"list", "--format", "json"}).out.trimmed(), QString("[\n]"));
        QCOMPARE(run_tool({"clear", "--before", "2024-05-03"}).exit_code, 0);
        QVERIFY(!QFile::exists(env.journal_path()));
    }

    void wrong_arguments_print_usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown") << QStringList{"show"};
        QTest::newRow("unknown option") << QStringList{"list", "--all"};
        QTest::newRow("format unknown") << QStringList{"list", "--format", "xml"};
        QTest::newRow("format without value") << QStringList{"list", "--format"};
        QTest::newRow("since not a date") << QStringList{"list", "--since", "2024-13-01"};
        QTest::newRow("since short") << QStringList{"list", "--since", "2024-5-1"};
        QTest::newRow("clear without date") << QStringList{"clear"};
        QTest::newRow("clear --before without date") << QStringList{"clear", "--before"};
        QTest::newRow("clear with a wrong date") << QStringList{"clear", "--before", "yesterday"};
        QTest::newRow("clear with extra") << QStringList{"clear", "--before", "2024-05-01", "now"};
    }

    void wrong_arguments_print_usage()
    {
        QFETCH(QStringList, args);
        TestEnv env;
        fill_journal();
        const ToolRun run = run_tool(args);
        QCOMPARE(run.exit_code, 2);
        QCOMPARE(run.out, QString());
        QVERIFY(run.err.startsWith("usage:"));
        QCOMPARE(journal::Journal().count({}), 4);
    }

    void an_unreadable_journal_exits_with_1_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("list") << QStringList{"list"};
        QTest::newRow("clear") << QStringList{"clear", "--before", "2024-05-01"};
    }

    void an_unreadable_journal_exits_with_1()
    {
        QFETCH(QStringList, args);
        TestEnv env;
        QFile file(env.journal_path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is a text file, not a journal\n" + QByteArray(4096, '.'));
        file.close();
        const ToolRun run = run_tool(args);
        QCOMPARE(run.exit_code, 1);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.startsWith("vekorra-journal: the call journal " + env.journal_path() + " cannot be used"),
                 qPrintable(run.err));
        QVERIFY(run.err.contains("not a database"));
    }
};

QTEST_GUILESS_MAIN(TestVekorraJournal)
#include "test_vekorra_journal.moc"
