#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <csignal>
#include <memory>
#include <vector>

#include "settings_store/settings_store.h"
#include "tests/settings_store/store_test_util.h"
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

    // Two writers append at once while a third process takes: each
    // writer's characters arrive once each, in the order written.
    void appends_and_takes_lose_and_repeat_nothing()
    {
        TestEnv env;
        const int count = 1500;
        QProcess taker, digits, letters;
        taker.start(STORE_HELPER, {"tone-taker", "digits-done", "letters-done"});
        digits.start(STORE_HELPER, {"appender", "digits-done", "0", QString::number(count)});
        letters.start(STORE_HELPER, {"appender", "letters-done", "a", QString::number(count)});
        for (QProcess* process : {&digits, &letters, &taker}) {
            QVERIFY(process->waitForFinished(120000));
            QCOMPARE(process->exitStatus(), QProcess::NormalExit);
            QCOMPARE(process->exitCode(), 0);
        }
        const QString taken = QString::fromUtf8(taker.readAllStandardOutput())
                              + read_setting("Test", "race", "tones", "");
        QString own_digits, own_letters, expected_digits, expected_letters;
        for (const QChar c : taken)
            (c.isDigit() ? own_digits : own_letters) += c;
        for (int n = 0; n < count; ++n) {
            expected_digits += QChar(u'0' + n % 10);
            expected_letters += QChar(u'a' + n % 10);
        }
        QCOMPARE(taken.size(), 2 * count);
        QCOMPARE(own_digits, expected_digits);
        QCOMPARE(own_letters, expected_letters);
    }

    // Six processes make a new store at the same moment: none of them may
    // fail (the switch to WAL meets the others' locks at once).
    void six_processes_create_one_store_at_once()
    {
        TestEnv env;
        const int rounds = 60;
        int failed = 0;
        for (int round = 0; round < rounds; ++round) {
            qputenv("VEKORRA_SETTINGS", QStringLiteral("%1/new-%2.sqlite").arg(env.root()).arg(round).toLocal8Bit());
            const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 150);
            std::vector<std::unique_ptr<QProcess>> openers;
            for (int i = 0; i < 6; ++i) {
                openers.push_back(std::make_unique<QProcess>());
                openers.back()->start(STORE_HELPER, {"open-at", start});
            }
            for (auto& opener : openers) {
                QVERIFY(opener->waitForFinished(30000));
                if (opener->exitStatus() != QProcess::NormalExit || opener->exitCode() != 0) {
                    ++failed;
                    qWarning("round %d: %s", round, opener->readAllStandardError().constData());
                }
            }
        }
        QCOMPARE(failed, 0);
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
