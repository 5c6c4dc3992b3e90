#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <sqlite3.h>

#include "journal/journal.h"
#include "journal/journal_export.h"
#include "journal/journal_table_model.h"
#include "tests/journal/journal_test_util.h"
#include "tests/support/env_override.h"
#include "tests/support/test_env.h"

using journal::Direction;
using journal::Journal;
using journal::Outcome;

namespace {

const qint64 epoch_ms = QDateTime(QDate(2024, 5, 1), QTime(10, 0)).toMSecsSinceEpoch();
constexpr qint64 day_ms = 24 * 3600 * 1000;

// Another connection to the file, as another program (or an older
// version of this one) would open it.
void sql_script(const QString& path, const char* script)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    QCOMPARE(sqlite3_exec(db, script, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// The first column of the query's first row.
QString sql_value(const QString& path, const char* query)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt* stmt = nullptr;
    QString result;
    if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

qint64 ended_call(Journal& journal, const QString& number, qint64 start_ms, Outcome outcome, int talk_s = 0)
{
    const qint64 id = journal.call_started("1", "SIMPHONE", Direction::In, number, start_ms);
    if (talk_s > 0)
        journal.call_answered(id, start_ms + 5000);
    journal.call_ended(id, start_ms + 5000 + talk_s * 1000, outcome);
    return id;
}

}  // namespace

class TestJournal : public QObject {
    Q_OBJECT

private slots:
    void path_and_file_modes()
    {
        TestEnv env;
        auto no_journal = EnvOverride::unset("VEKORRA_JOURNAL");
        EnvOverride home("HOME", env.root().toLocal8Bit());
        {
            auto no_data_home = EnvOverride::unset("XDG_DATA_HOME");
            QCOMPARE(journal::journal_path(), env.root() + "/.local/share/vekorra/journal.sqlite");
        }
        EnvOverride data_home("XDG_DATA_HOME", (env.root() + "/data").toLocal8Bit());
        const QString path = env.root() + "/data/vekorra/journal.sqlite";
        QCOMPARE(journal::journal_path(), path);
        Journal journal;
        QVERIFY(journal.call_started("1", "", Direction::Out, "0671112233", epoch_ms) > 0);
        QCOMPARE(QFileInfo(path).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(QFile::permissions(env.root() + "/data/vekorra") & 0x7077,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(sql_value(path, "PRAGMA journal_mode"), QString("wal"));
        QCOMPARE(sql_value(path, "PRAGMA user_version"), QString::number(journal::schema_version));
        EnvOverride explicit_path("VEKORRA_JOURNAL", "/somewhere/else.sqlite");
        QCOMPARE(journal::journal_path(), QString("/somewhere/else.sqlite"));
    }

    void older_schemas_are_brought_up_to_date_data()
    {
        QTest::addColumn<QByteArray>("old_schema");
        QTest::addColumn<int>("rows_kept");
        QTest::newRow("empty database") << QByteArray("CREATE TABLE unrelated (x); DROP TABLE unrelated;") << 0;
        QTest::newRow("version 1")
            << QByteArray("CREATE TABLE calls (id INTEGER PRIMARY KEY, line TEXT NOT NULL,"
                          " model TEXT NOT NULL DEFAULT '', direction TEXT NOT NULL,"
                          " number TEXT NOT NULL DEFAULT '', start_ms INTEGER NOT NULL, answer_ms INTEGER,"
                          " end_ms INTEGER, outcome TEXT);"
                          "CREATE INDEX calls_by_start ON calls (start_ms DESC, id DESC);"
                          "INSERT INTO calls (line, direction, number, start_ms, answer_ms, end_ms, outcome)"
                          " VALUES ('2', 'in', '0671112233', 1714546800000, 1714546805000, 1714546865000,"
                          " 'answered');"
                          "INSERT INTO calls (line, direction, number, start_ms) VALUES ('1', 'out', '050', 1);"
                          "PRAGMA user_version = 1;")
            << 2;
    }

    void older_schemas_are_brought_up_to_date()
    {
        QFETCH(QByteArray, old_schema);
        QFETCH(int, rows_kept);
        TestEnv env;
        sql_script(env.journal_path(), old_schema.constData());
        Journal journal;
        QCOMPARE(journal.count({}), rows_kept);
        QCOMPARE(sql_value(env.journal_path(), "PRAGMA user_version"), QString::number(journal::schema_version));
        if (rows_kept > 0) {
            const QList<journal::CallRecord> calls = journal.fetch_all({});
            QCOMPARE(calls.first().talk_seconds(), 60);
            QCOMPARE(calls.first().outcome, Outcome::Answered);
            // An open call of the old version is closed at its start time.
            QCOMPARE(journal.interrupt_open_calls("1"), 1);
            QCOMPARE(journal.fetch_all({}).last().end_ms, qint64(1));
        }
        const qint64 id = journal.call_started("1", "M", Direction::In, "063", epoch_ms);
        QVERIFY(journal.line_seen("1", epoch_ms + 7000));
        QCOMPARE(journal.interrupt_open_calls("1"), 1);
        QCOMPARE(journal.fetch(journal::Filter{"063", false, 0}, 0, 1).value(0).end_ms, epoch_ms + 7000);
        QVERIFY(id > 0);
    }

    void a_newer_journal_is_left_alone()
    {
        TestEnv env;
        sql_script(env.journal_path(), "CREATE TABLE future (x); PRAGMA user_version = 9;");
        journal_test::JournalWarnings warnings;
        Journal journal;
        QCOMPARE(journal.call_started("1", "", Direction::In, "067", epoch_ms), qint64(0));
        QCOMPARE(journal.count({}), 0);
        QVERIFY(!journal.usable());
        QCOMPARE(warnings.count(), 1);
        QVERIFY(warnings.texts().first().contains("newer"));
        QCOMPARE(sql_value(env.journal_path(), "PRAGMA user_version"), QString("9"));
        QCOMPARE(sql_value(env.journal_path(), "SELECT count(*) FROM sqlite_master WHERE name = 'calls'"), QString("0"));
    }

    void an_unwritable_place_warns_once()
    {
        TestEnv env;
        QFile(env.root() + "/plain").open(QIODevice::WriteOnly);
        journal_test::JournalWarnings warnings;
        Journal journal(env.root() + "/plain/journal.sqlite");
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(journal.call_started("1", "", Direction::In, "067", epoch_ms), qint64(0));
            QVERIFY(!journal.call_ended(1, epoch_ms, Outcome::Missed));
            QVERIFY(!journal.line_seen("1", epoch_ms));
            QCOMPARE(journal.handed_over("skype", "067", epoch_ms), qint64(0));
        }
        QCOMPARE(warnings.count(), 1);
        QVERIFY(journal.last_error().contains(env.root() + "/plain"));
    }

    void queries_filter_and_page_newest_first()
    {
        TestEnv env;
        Journal journal;
        // 450 calls a minute apart; every third one missed.
        for (int i = 0; i < 450; ++i)
            ended_call(journal, QStringLiteral("067%1").arg(i, 7, 10, QLatin1Char('0')), epoch_ms + i * 60000,
                       i % 3 == 0 ? Outcome::Missed : Outcome::Answered, i % 3 == 0 ? 0 : 30);
        const qint64 tie = journal.handed_over("sip", "0671234567", epoch_ms + 449 * 60000);
        QCOMPARE(journal.count({}), 451);
        const QList<journal::CallRecord> first = journal.fetch({}, 0, 3);
        QCOMPARE(first.size(), 3);
        QCOMPARE(first[0].id, tie);  // same start: the later record first
        QCOMPARE(first[1].number, QString("0670000449"));
        QCOMPARE(first[2].number, QString("0670000448"));
        QCOMPARE(journal.fetch({}, 449, 10).size(), 2);
        QCOMPARE(journal.fetch({}, 450, 10).value(0).number, QString("0670000000"));

        QCOMPARE(journal.count({"00044", false, 0}), 11);  // 0670000440 .. 449 and 0670000044
        QCOMPARE(journal.count({"1234", false, 0}), 1);
        QCOMPARE(journal.count({"", true, 0}), 150);
        QCOMPARE(journal.count({"", false, epoch_ms + 400 * 60000}), 51);
        QCOMPARE(journal.count({"0004", true, epoch_ms + 400 * 60000}), 16);  // 402, 405 .. 447
        for (const journal::CallRecord& call : journal.fetch_all({"", true, 0}))
            QCOMPARE(call.outcome, Outcome::Missed);

        QVERIFY(journal.remove(tie));
        QVERIFY(!journal.remove(tie));
        QCOMPARE(journal.count({}), 450);
    }

    void retention_removes_old_ended_calls()
    {
        TestEnv env;
        Journal journal;
        const qint64 now = epoch_ms + 100 * day_ms;
        ended_call(journal, "old", now - 31 * day_ms, Outcome::Missed);
        ended_call(journal, "recent", now - 29 * day_ms, Outcome::Missed);
        journal.call_started("1", "", Direction::In, "open-old", now - 40 * day_ms);
        QCOMPARE(journal.remove_older_than_days(0, now), 0);
        QCOMPARE(journal.count({}), 3);
        QCOMPARE(journal.remove_older_than_days(30, now), 1);
        QCOMPARE(journal_test::briefs(journal.fetch_all({}), now).join(", "),
                 QString("1 in recent missed -2505600----2505595, 1 in open-old open -3456000----"));
    }

    void exports_quote_and_escape()
    {
        TestEnv env;
        Journal journal;
        const qint64 id = journal.call_started("2", "Model \"X\", rev\t1", Direction::Out, "0671112233", epoch_ms);
        journal.call_answered(id, epoch_ms + 2000);
        journal.call_ended(id, epoch_ms + 64500, Outcome::Answered);
        journal.handed_over("skype", "", epoch_ms + 1000);
        const QList<journal::CallRecord> calls = journal.fetch_all({});
        const QString start = journal::local_iso_time(epoch_ms);
        const QString later = journal::local_iso_time(epoch_ms + 1000);
        QVERIFY(QRegularExpression("^2024-05-01T10:00:00[+-]\\d\\d:\\d\\d$").match(start).hasMatch() || start.endsWith('Z'));

        QCOMPARE(QString::fromUtf8(journal::export_records(calls, journal::ExportFormat::Tsv)),
                 later + "\tskype\tout\t\thanded-over\t0\t\n" + start
                     + "\t2\tout\t0671112233\tanswered\t62\tModel \"X\", rev\\t1\n");
        QCOMPARE(QString::fromUtf8(journal::export_records(calls, journal::ExportFormat::Csv, true)),
                 "start,line,direction,number,outcome,talk_seconds,model\r\n" + later
                     + ",skype,out,,handed-over,0,\r\n" + start
                     + ",2,out,0671112233,answered,62,\"Model \"\"X\"\", rev\t1\"\r\n");
        const QJsonArray json = QJsonDocument::fromJson(journal::export_records(calls, journal::ExportFormat::Json)).array();
        QCOMPARE(json.size(), 2);
        QCOMPARE(json[1].toObject()["model"].toString(), QString("Model \"X\", rev\t1"));
        QCOMPARE(json[1].toObject()["talk_seconds"].toInt(), 62);
        QCOMPARE(json[0].toObject()["outcome"].toString(), QString("handed-over"));
    }

    void table_model_loads_pages_and_follows_changes()
    {
        TestEnv env;
        Journal journal;
        for (int i = 0; i < 1000; ++i)
            ended_call(journal, QStringLiteral("050%1").arg(i, 7, 10, QLatin1Char('0')), epoch_ms + i * 1000,
                       Outcome::Answered, 65);
        journal::JournalTableModel model(journal);
        QCOMPARE(model.rowCount(), 1000);
        QCOMPARE(model.columnCount(), 7);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Время"));
        QCOMPARE(model.data(model.index(0, journal::JournalTableModel::Number)).toString(), QString("0500000999"));
        QCOMPARE(model.data(model.index(999, journal::JournalTableModel::Number)).toString(), QString("0500000000"));
        QCOMPARE(model.data(model.index(500, journal::JournalTableModel::Duration)).toString(), QString("1:05"));
        QCOMPARE(model.data(model.index(1, journal::JournalTableModel::OutcomeColumn)).toString(), QString("Отвечен"));
        QCOMPARE(model.data(model.index(1, journal::JournalTableModel::Line)).toString(), QString("Телефон 1"));
        QVERIFY(!model.refresh_if_changed());

        Journal other;  // another program's connection: a controller
        const qint64 id = other.call_started("4", "", Direction::In, "", epoch_ms + 2000 * 1000);
        QVERIFY(model.refresh_if_changed());
        QCOMPARE(model.rowCount(), 1001);
        QCOMPARE(model.data(model.index(0, journal::JournalTableModel::Number)).toString(), QString("Номер скрыт"));
        QCOMPARE(model.data(model.index(0, journal::JournalTableModel::OutcomeColumn)).toString(), QString("Идёт"));
        other.call_ended(id, epoch_ms + 2010 * 1000, Outcome::Missed);
        QVERIFY(model.refresh_if_changed());
        QCOMPARE(model.data(model.index(0, journal::JournalTableModel::OutcomeColumn)).toString(), QString("Пропущен"));

        model.set_filter({"", true, 0});
        QCOMPARE(model.rowCount(), 1);
        QVERIFY(model.remove_row(0));
        QCOMPARE(model.rowCount(), 0);
        model.set_filter({"00099", false, 0});  // 0500000990 .. 999 and 0500000099
        QCOMPARE(model.rowCount(), 11);
        QCOMPARE(model.all_records().size(), 11);
        QCOMPARE(model.record(11).id, qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "test_journal.moc"
