#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <csignal>

#include "settings_store/settings_store.h"
#include "tests/support/store_fixture.h"
#include "tests/support/test_env.h"

namespace {

QStringList output_lines(QProcess& process)
{
    return QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

class TestStoreProcesses : public QObject {
    Q_OBJECT

private slots:
    // One writer hands out numbers one at a time; two takers race for them.
    // A take whose read and reset were not one step would lose a number
    // (overwritten unseen) or hand one number to both takers.
    void every_value_is_taken_exactly_once()
    {
        TestEnv env;
        const int count = 3000;
        QProcess writer, taker1, taker2;
        for (QProcess* taker : {&taker1, &taker2})
            taker->start(STORE_HELPER, {"race-taker"});
        writer.start(STORE_HELPER, {"race-writer", QString::number(count)});
        for (QProcess* process : {&writer, &taker1, &taker2}) {
            QVERIFY(process->waitForFinished(120000));
            QCOMPARE(process->exitStatus(), QProcess::NormalExit);
            QCOMPARE(process->exitCode(), 0);
        }
        QList<int> taken;
        for (QProcess* taker : {&taker1, &taker2})
            for (const QString& line : output_lines(*taker))
                taken << line.toInt();
        std::sort(taken.begin(), taken.end());
        QList<int> expected(count);
        std::iota(expected.begin(), expected.end(), 1);
        QCOMPARE(taken, expected);
        QCOMPARE(read_setting("Test", "race", "slot", "absent"), QString(""));
    }

    void a_killed_writer_leaves_a_sound_store()
    {
        TestEnv env;
        QProcess writer;
        writer.start(STORE_HELPER, {"stream-writer"});
        QStringList reported;
        QVERIFY(wait_until([&] {
            reported += output_lines(writer);
            return reported.size() >= 2000 || writer.state() == QProcess::NotRunning;
        }, 60000));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        reported += output_lines(writer);
        QVERIFY(reported.size() >= 2000);

        RawStore raw(env.store_path());
        QCOMPARE(raw.scalar("PRAGMA integrity_check"), QString("ok"));
        settings_store::reopen();
        const QString padding(300, QChar(u'ж'));
        for (const QString& n : reported)
            QCOMPARE(read_setting("Test", "stream", "k" + n, "missing"), n + padding);
    }
};

QTEST_GUILESS_MAIN(TestStoreProcesses)
#include "test_store_processes.moc"
