// The status tick's hand-over of a number to dial while the dialer keeps
// writing new ones: every number the tick wipes from the blackboard must be
// the one it keeps for dialling.
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QtTest>
#include <sqlite3.h>

#include "controller_fixture.h"

class TestStatusTick : public QObject {
    Q_OBJECT

private slots:
    void number_written_during_the_hand_over_is_not_lost();
    void device_back_ends_the_lost_link_pause_and_reconnects();
};

namespace {
// Set by the test when the writer has written enough.
const QString kStopWriter = QStringLiteral("test_stop_writer");

// Records, inside the store itself, every number that a reset of
// "pozvonit" overwrote, whichever process did the reset.
bool record_wiped_numbers(const QString& store)
{
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(store.toUtf8().constData(), &db) == SQLITE_OK
              && sqlite3_exec(db,
                              "CREATE TABLE wiped (number TEXT);"
                              "CREATE TRIGGER record_wipe AFTER UPDATE ON settings"
                              " WHEN new.key_fold = 'pozvonit' AND new.value = '' AND old.value <> ''"
                              " BEGIN INSERT INTO wiped VALUES (old.value); END;",
                              nullptr, nullptr, nullptr)
                     == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

QStringList wiped_numbers(const QString& store)
{
    QStringList numbers;
    sqlite3* db = nullptr;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_open(store.toUtf8().constData(), &db) == SQLITE_OK
        && sqlite3_prepare_v2(db, "SELECT number FROM wiped", -1, &query, nullptr) == SQLITE_OK) {
        while (sqlite3_step(query) == SQLITE_ROW)
            numbers.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(query, 0))));
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
    return numbers;
}
}  // namespace

void TestStatusTick::number_written_during_the_hand_over_is_not_lost()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.publish();
    QVERIFY(record_wiped_numbers(rig.env.store_path()));

    // The dialer's side: a new number as fast as another process can write
    // one, without waiting for the previous one to be taken; it stops once
    // enough hand-overs happened, however slowly this side runs on a loaded
    // machine, or after a minute as a safety net.
    QProcess dialer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("STATUS_TICK_WRITER"), QStringLiteral("60"));
    dialer.setProcessEnvironment(environment);
    dialer.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(dialer.waitForStarted());

    QSet<QString> kept_for_dialling;
    for (int tick = 1; dialer.state() != QProcess::NotRunning; ++tick) {
        rig.publish();
        kept_for_dialling.insert(rig.state().tlf_numb);
        if (tick % 50 == 0 && wiped_numbers(rig.env.store_path()).size() > 20)
            write_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), kStopWriter, QStringLiteral("1"));
        dialer.waitForFinished(0);
    }
    rig.publish();
    kept_for_dialling.insert(rig.state().tlf_numb);
    QCOMPARE(dialer.exitCode(), 0);

    const QStringList wiped = wiped_numbers(rig.env.store_path());
    QVERIFY2(wiped.size() > 20, qPrintable(QString::number(wiped.size())));
    for (const QString& number : wiped)
        QVERIFY2(kept_for_dialling.contains(number), qPrintable(number + " was wiped but never kept for dialling"));
}

// The phone unplugged (its link left leading nowhere) and plugged in again:
// the 2 s pause after the lost link ends as soon as the dialer says so, and
// the status tick's take of the request runs an engine tick at once.
void TestStatusTick::device_back_ends_the_lost_link_pause_and_reconnects()
{
    ControllerRig rig({"--mode", "gsm-noclcc"});
    rig.connect_phone();
    QCOMPARE(rig.state().CLCC, qint16(0));
    const auto slept_in_tick = [&rig] {
        const qsizetype before = rig.clock.sleeps.size();
        rig.tick();
        int total = 0;
        for (qsizetype index = before; index < rig.clock.sleeps.size(); ++index)
            total += rig.clock.sleeps[index];
        return total;
    };
    QVERIFY(rig.phone.control("drop keep-link"));
    QVERIFY(slept_in_tick() >= 2000);
    QCOMPARE(rig.view().status_text, QStringLiteral("Потеряна связь"));

    set_board("podkl_snova", "1");
    QVERIFY(slept_in_tick() < 2000);
    QVERIFY(rig.phone.control("reconnect"));
    const int probes = rig.phone.count_received("AT+CLCC");
    rig.controller->start_engine();  // as in a controller the dialer started
    rig.publish();
    QCOMPARE(board("podkl_snova"), QString());
    QVERIFY(rig.controller->engine_running());
    // The tick runs from the event loop at once, not by the engine timer:
    // with the timer stopped again the phone is still probed.
    rig.controller->stop_engine();
    QVERIFY(rig.phone.wait_for_command("AT+CLCC", 10000, probes + 1));
}

// Started again as the writing dialer: writes numbers until told to stop or
// until the given count of seconds has passed.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = qEnvironmentVariableIntValue("STATUS_TICK_WRITER");
    if (seconds > 0) {
        QElapsedTimer running;
        running.start();
        for (int i = 0; running.elapsed() < seconds * 1000; ++i) {
            write_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), QStringLiteral("pozvonit"),
                          QStringLiteral("05%1").arg(i));
            if (i % 100 == 0 && read_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), kStopWriter,
                                             QString()) == QLatin1String("1"))
                break;
        }
        return settings_store::last_operation_failed() ? 1 : 0;
    }
    TestStatusTick test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_status_tick.moc"
