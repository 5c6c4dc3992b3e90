#include <QtTest>

#include "journal/call_tracker.h"
#include "tests/journal/journal_test_util.h"
#include "tests/support/test_env.h"

using journal::CallTracker;
using journal_test::clcc;
using journal_test::Listed;

namespace {

const qint64 epoch_ms = QDateTime(QDate(2024, 5, 1), QTime(10, 0)).toMSecsSinceEpoch();

// One step of a line's life, as text: "<second> <event> [arguments]".
//   list [i,dir,state,number[,m] ...]   a polled call list ("m": multiparty)
//   hangup | release                    "AT+CHUP" | "AT+CHLD=0" sent by the user
//   decline <index>                     the user declined that call
//   lost | end                          link lost | orderly end of the controller
//   dialled <number> | dropped           a dial on a phone with a call list
//   dial <number> | refused | ring [<number>] | take | hangup-line | tick
//                                       a phone without a call list
void run_step(CallTracker& tracker, const QString& step)
{
    QStringList words = step.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const qint64 now = epoch_ms + words.takeFirst().toLongLong() * 1000;
    const QString event = words.takeFirst();
    if (event == "list") {
        QList<Listed> calls;
        for (const QString& word : std::as_const(words)) {
            const QStringList f = word.split(QLatin1Char(','));
            calls.append({f[0].toInt(), f[1].toInt(), f[2].toInt(), f.value(3), f.value(4) == "m"});
        }
        tracker.call_list(clcc(calls), now);
    } else if (event == "hangup") {
        tracker.command_sent(journal::DeclineCommand::HangUp);
    } else if (event == "release") {
        tracker.command_sent(journal::DeclineCommand::ReleaseHeldOrWaiting);
    } else if (event == "decline") {
        tracker.declined(words.value(0).toInt());
    } else if (event == "lost") {
        tracker.link_lost(now);
    } else if (event == "end") {
        tracker.controller_ending(now);
    } else if (event == "dialled") {
        tracker.dialled(words.value(0), now);
    } else if (event == "dropped") {
        tracker.dial_dropped(now);
    } else if (event == "dial") {
        tracker.dialled_without_list(words.value(0), now);
    } else if (event == "refused") {
        tracker.dial_refused(now);
    } else if (event == "ring") {
        tracker.ring_without_list(words.value(0), now);
    } else if (event == "take") {
        tracker.answered_without_list(now);
    } else if (event == "hangup-line") {
        tracker.hung_up_without_list(now);
    } else if (event == "tick") {
        tracker.tick_without_list(now);
    } else {
        QFAIL(qPrintable("unknown step " + step));
    }
}

// The journal's records, oldest first.
QStringList recorded(journal::Journal& journal)
{
    QStringList all = journal_test::briefs(journal.fetch_all({}), epoch_ms);
    std::reverse(all.begin(), all.end());
    return all;
}

}  // namespace

class TestCallTracker : public QObject {
    Q_OBJECT

private slots:
    void call_lists_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        const QString a = "0671112233", b = "0502223344", c = "0633334455", d = "0984445566";

        QTest::newRow("incoming answered")
            << QStringList{"0 list 1,1,4," + a, "1 list 1,1,4," + a, "2 list 1,1,0," + a, "5 list 1,1,0," + a,
                           "7 list"}
            << QStringList{"1 in " + a + " answered 0-2-7"};
        QTest::newRow("incoming missed")
            << QStringList{"0 list 1,1,4," + a, "4 list 1,1,4," + a, "6 list"}
            << QStringList{"1 in " + a + " missed 0---6"};
        QTest::newRow("incoming rejected with the hang-up")
            << QStringList{"0 list 1,1,4," + a, "1 hangup", "2 list"}
            << QStringList{"1 in " + a + " rejected 0---2"};
        QTest::newRow("incoming rejected by index")
            << QStringList{"0 list 1,1,4," + a, "1 decline 1", "2 list"}
            << QStringList{"1 in " + a + " rejected 0---2"};
        QTest::newRow("answered from the handset after declining")
            << QStringList{"0 list 1,1,4," + a, "1 hangup", "2 list 1,1,0," + a, "9 list"}
            << QStringList{"1 in " + a + " answered 0-2-9"};
        QTest::newRow("withheld caller missed")
            << QStringList{"0 list 1,1,4,", "3 list"} << QStringList{"1 in (withheld) missed 0---3"};
        QTest::newRow("number listed after the first ring")
            << QStringList{"0 list 1,1,4,", "1 list 1,1,4," + a, "2 list 1,1,0," + a, "4 list"}
            << QStringList{"1 in " + a + " answered 0-2-4"};
        QTest::newRow("outgoing answered")
            << QStringList{"0 list 1,0,2," + b, "1 list 1,0,3," + b, "3 list 1,0,0," + b, "8 list"}
            << QStringList{"1 out " + b + " answered 0-3-8"};
        QTest::newRow("a dial the list shows is that call")
            << QStringList{"0 dialled " + b, "1 list 1,0,2,+38" + b, "2 dropped", "3 list 1,0,0,+38" + b, "8 list"}
            << QStringList{"1 out +38" + b + " answered 1-3-8"};
        QTest::newRow("a dial hung up before any list showed it")
            << QStringList{"0 list", "1 dialled " + b, "2 dropped", "3 list", "4 dropped"}
            << QStringList{"1 out " + b + " unanswered 1---2"};
        QTest::newRow("a dial no list showed, then another")
            << QStringList{"0 dialled " + b, "5 dialled " + c, "6 list 1,0,2," + c, "7 list"}
            << QStringList{"1 out " + b + " unanswered 0---5", "1 out " + c + " unanswered 6---7"};
        QTest::newRow("outgoing unanswered")
            << QStringList{"0 list 1,0,2," + b, "1 list 1,0,3," + b, "9 hangup", "10 list"}
            << QStringList{"1 out " + b + " unanswered 0---10"};
        QTest::newRow("waiting call answered, first call held")
            << QStringList{"0 list 1,0,2," + b, "2 list 1,0,0," + b, "4 list 1,0,0," + b + " 2,1,5," + c,
                           "6 list 1,0,1," + b + " 2,1,0," + c, "9 list 1,0,1," + b, "10 list"}
            << QStringList{"1 out " + b + " answered 0-2-10", "1 in " + c + " answered 4-6-9"};
        QTest::newRow("waiting call rejected, first call goes on")
            << QStringList{"0 list 1,1,0," + a, "4 list 1,1,0," + a + " 2,1,5," + c, "5 release", "6 list 1,1,0," + a, "12 list"}
            << QStringList{"1 in " + a + " answered 0-0-12", "1 in " + c + " rejected 4---6"};
        QTest::newRow("waiting call missed")
            << QStringList{"0 list 1,1,0," + a, "4 list 1,1,0," + a + " 2,1,5," + c, "5 hangup",
                           "8 list 1,1,0," + a, "9 list"}
            << QStringList{"1 in " + a + " answered 0-0-9", "1 in " + c + " missed 4---8"};
        QTest::newRow("conference of three")
            << QStringList{"0 list 1,0,0," + b,
                           "2 list 1,0,1," + b + " 2,0,3," + c,
                           "4 list 1,0,1," + b + " 2,0,0," + c,
                           "5 list 1,0,0," + b + ",m 2,0,0," + c + ",m",
                           "6 list 1,0,0," + b + ",m 2,0,0," + c + ",m 3,1,5," + d,
                           "7 list 1,0,1," + b + ",m 2,0,1," + c + ",m 3,1,0," + d,
                           "8 list 1,0,0," + b + ",m 2,0,0," + c + ",m 3,1,0," + d + ",m",
                           "20 list 1,0,0," + b + ",m 3,1,0," + d + ",m",
                           "30 list 3,1,0," + d, "31 list"}
            << QStringList{"1 out " + b + " answered 0-0-30", "1 out " + c + " answered 2-4-20",
                           "1 in " + d + " answered 6-7-31"};
        QTest::newRow("swap keeps both records")
            << QStringList{"0 list 1,0,0," + b + " 2,1,1," + c, "3 list 1,0,1," + b + " 2,1,0," + c,
                           "5 list 1,0,0," + b + " 2,1,1," + c, "7 list 2,1,1," + c, "9 list"}
            << QStringList{"1 out " + b + " answered 0-0-7", "1 in " + c + " answered 0-0-9"};
        QTest::newRow("same number again is a new call")
            << QStringList{"0 list 1,1,4," + a, "2 list", "30 list 1,1,4," + a, "31 list 1,1,0," + a, "40 list"}
            << QStringList{"1 in " + a + " missed 0---2", "1 in " + a + " answered 30-31-40"};
        QTest::newRow("a lost link ends nothing")
            << QStringList{"0 list 1,1,0," + a, "3 lost", "6 lost", "9 list 1,1,0," + a, "12 list"}
            << QStringList{"1 in " + a + " answered 0-0-12"};
        QTest::newRow("orderly end closes calls as they stand")
            << QStringList{"0 list 1,1,0," + a + " 2,1,5," + c + " 3,0,3," + b, "5 end"}
            << QStringList{"1 in " + a + " answered 0-0-5", "1 in " + c + " missed 0---5",
                           "1 out " + b + " unanswered 0---5"};
    }

    void call_lists()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        TestEnv env;
        journal::Journal journal;
        CallTracker tracker(journal, "1");
        for (const QString& step : std::as_const(steps))
            run_step(tracker, step);
        QCOMPARE(recorded(journal), expected);
    }

    void phones_without_a_call_list_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("dial refused by the line")
            << QStringList{"0 dial 0671112233", "1 refused"} << QStringList{"1 out 0671112233 unanswered 0---1"};
        QTest::newRow("dial the line says nothing about")
            << QStringList{"0 dial 0671112233", "3 tick", "9 tick"}
            << QStringList{"1 out 0671112233 unknown 0---0"};
        QTest::newRow("rings that stop")
            << QStringList{"0 ring 0502223344", "5 ring", "6 tick", "12 tick", "13 tick"}
            << QStringList{"1 in 0502223344 missed 0---5"};
        QTest::newRow("ring taken, then hung up")
            << QStringList{"0 ring", "2 take", "30 tick", "40 hangup-line"}
            << QStringList{"1 in (withheld) answered 0-2-40"};
        QTest::newRow("ring hung up from here") << QStringList{"0 ring", "2 hangup-line"}
                                                << QStringList{"1 in (withheld) rejected 0---2"};
        QTest::newRow("a dial during a ring ends the ring")
            << QStringList{"0 ring", "3 dial 0671112233", "4 refused"}
            << QStringList{"1 in (withheld) missed 0---3", "1 out 0671112233 unanswered 3---4"};
    }

    void phones_without_a_call_list()
    {
        call_lists();
    }

    void restart_interrupts_the_open_calls_of_its_line()
    {
        TestEnv env;
        const QString a = "0671112233", b = "0502223344", c = "0633334455";
        {
            journal::Journal journal;
            CallTracker line1(journal, "1");
            CallTracker line2(journal, "2");
            CallTracker line3(journal, "3");
            for (const QString& step : {"0 list 1,1,4," + a, "2 list 1,1,0," + a, "3 list 1,1,0," + a,
                                        "4 list 1,1,0," + a, "5 list 1,1,0," + a, "5 list 1,1,0," + a})
                run_step(line1, step);
            run_step(line2, "1 list 1,0,3," + b);
            run_step(line3, "2 list 1,0,0," + c);
            // The controllers die here: no orderly end.
        }
        journal::Journal journal;
        CallTracker restarted(journal, "1");
        restarted.controller_started();
        // The first list tells: the call ended meanwhile.
        run_step(restarted, "8 list");
        QCOMPARE(recorded(journal).mid(0, 2),
                 QStringList({"1 in " + a + " interrupted 0-2-5", "2 out " + b + " open 1----"}));
        CallTracker line2(journal, "2");
        line2.controller_started();
        run_step(line2, "8 list");
        QCOMPARE(recorded(journal).at(1), "2 out " + b + " interrupted 1---1");
        // A call that goes on through the restart keeps its one record.
        CallTracker line3(journal, "3");
        line3.controller_started();
        run_step(line3, "8 list 1,0,0," + c);
        run_step(line3, "9 list");
        QCOMPARE(recorded(journal).at(2), "3 out " + c + " answered 2-2-9");
        QCOMPARE(recorded(journal).size(), 3);
        QCOMPARE(journal.fetch_all({}).last().talk_seconds(), 3);
    }

    void model_is_recorded_with_each_call()
    {
        TestEnv env;
        journal::Journal journal;
        CallTracker tracker(journal, "3");
        tracker.set_model("SIMPHONE-900");
        run_step(tracker, "0 list 1,1,4,0671112233");
        tracker.set_model("OTHER");
        run_step(tracker, "1 list");
        QCOMPARE(journal.fetch_all({}).value(0).model, QString("SIMPHONE-900"));
    }

    void a_broken_journal_stops_nothing()
    {
        TestEnv env;
        QFile file(env.journal_path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
        file.close();
        journal_test::JournalWarnings warnings;
        journal::Journal journal;
        CallTracker tracker(journal, "1");
        tracker.controller_started();
        for (int second = 0; second < 20; ++second)
            run_step(tracker, QString::number(second) + (second < 10 ? " list 1,1,4,067" : " list"));
        run_step(tracker, "21 end");
        QCOMPARE(warnings.count(), 1);
        QVERIFY(warnings.texts().first().contains("not a database"));
        QCOMPARE(tracker.open_calls(), 0);
        QFile damaged(env.journal_path());
        QVERIFY(damaged.open(QIODevice::ReadOnly));
        QCOMPARE(damaged.readAll(), QByteArray(8192, 'x'));
    }
};

QTEST_GUILESS_MAIN(TestCallTracker)
#include "test_call_tracker.moc"
