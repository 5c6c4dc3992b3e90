// The accounting of the store kill stress, fed with made-up logs: it must
// accept what a kill can really leave behind and flag every lost, doubled
// or foreign take and every write that is not whole.
#include <QTemporaryDir>
#include <QtTest>

#include "bench/store_kill_stress/stress_check.h"
#include "bench/store_kill_stress/stress_log.h"
#include "bench/store_kill_stress/stress_worker.h"

using namespace kill_stress;

namespace {

const Channel channel {"poloz_t", 2, "dialer", "controller2"};

Record put(qint64 token) { return {'P', "poloz_t", 2, token}; }
Record announce() { return {'A', "poloz_t", 2, 0}; }
Record took(qint64 token) { return {'R', "poloz_t", 2, token}; }
Record tick(char kind, qint64 n) { return {kind, QString(), 0, n}; }
Record end() { return {'X', QString(), 0, 0}; }

Incarnation run(const QString& role, int index, const QList<Record>& records) { return {role, index, records}; }

// The dialer put tokens 1 to n and ended in order.
QList<Incarnation> producer(int n)
{
    QList<Record> records;
    for (int token = 1; token <= n; ++token)
        records << put(token);
    return {run("dialer", 1, records << end())};
}

}  // namespace

class TestStoreKillAccounting : public QObject {
    Q_OBJECT

private slots:
    void every_token_taken_or_left_is_accounted_for()
    {
        const QList<Incarnation> consumer = {run("controller2", 1, {announce(), took(1), announce(), took(2), end()})};
        const ChannelCount c = check_channel(channel, producer(3), consumer, "3");
        QCOMPARE(c.put, 3);
        QCOMPARE(c.taken, 2);
        QCOMPARE(c.left, 1);
        QCOMPARE(c.lost + c.doubled + c.foreign + c.out_of_order + c.gap_by_kill, 0);
    }

    void a_missing_token_is_lost_unless_a_kill_fell_between_its_take_and_record()
    {
        // Run 1 was killed after announcing a take: token 2 may have gone
        // with it, as run 2 goes on with 3.
        QList<Incarnation> consumer = {run("controller2", 1, {announce(), took(1), tick('T', 5), announce()}),
                                       run("controller2", 2, {announce(), took(3), end()})};
        ChannelCount c = check_channel(channel, producer(3), consumer, "");
        QCOMPARE(c.gap_by_kill, 1);
        QCOMPARE(c.lost, 0);

        // One kill explains one token, not two.
        consumer[1].records = {announce(), took(4), end()};
        c = check_channel(channel, producer(4), consumer, "");
        QCOMPARE(c.gap_by_kill, 1);
        QCOMPARE(c.lost, 1);

        // A gap among the tokens a run recorded before its kill is lost.
        consumer = {run("controller2", 1, {took(1), took(3), announce()}), run("controller2", 2, {took(4), end()})};
        c = check_channel(channel, producer(4), consumer, "");
        QCOMPARE(c.gap_by_kill, 0);
        QCOMPARE(c.lost, 1);

        // A run that was killed elsewhere than at a take explains nothing.
        consumer = {run("controller2", 1, {took(1), tick('T', 5)}), run("controller2", 2, {took(3), end()})};
        QCOMPARE(check_channel(channel, producer(3), consumer, "").lost, 1);
    }

    void doubled_foreign_and_reordered_takes_are_flagged()
    {
        QList<Incarnation> consumer = {run("controller2", 1, {took(1), took(1), end()})};
        QCOMPARE(check_channel(channel, producer(2), consumer, "2").doubled, 1);
        consumer = {run("controller2", 1, {took(1), end()})};
        QCOMPARE(check_channel(channel, producer(2), consumer, "1").doubled, 1);
        QCOMPARE(check_channel(channel, producer(2), consumer, "junk").foreign, 1);
        consumer = {run("controller2", 1, {took(9), end()})};
        QCOMPARE(check_channel(channel, producer(2), consumer, "").foreign, 1);
        consumer = {run("controller2", 1, {took(2), took(1), end()})};
        QCOMPARE(check_channel(channel, producer(2), consumer, "").out_of_order, 1);
        // A token put twice is doubled even when taken once.
        const QList<Incarnation> twice = {run("dialer", 1, {put(1), put(1), end()})};
        consumer = {run("controller2", 1, {took(1), end()})};
        QCOMPARE(check_channel(channel, twice, consumer, "").doubled, 1);
    }

    void only_the_last_put_of_a_killed_producer_may_be_missing()
    {
        const QList<Incarnation> killed = {run("dialer", 1, {put(1), put(2)}), run("dialer", 2, {put(3), end()})};
        const QList<Incarnation> consumer = {run("controller2", 1, {took(1), took(3), end()})};
        ChannelCount c = check_channel(channel, killed, consumer, "");
        QCOMPARE(c.unsure_put, 1);
        QCOMPARE(c.unput, 1);
        QCOMPARE(c.lost, 0);

        // Killed after its write: the token may still be found and taken.
        const QList<Incarnation> after_write = {run("dialer", 1, {put(1), put(2), tick('E', 1)}),
                                                run("dialer", 2, {put(3), end()})};
        c = check_channel(channel, after_write, consumer, "");
        QCOMPARE(c.unsure_put, 0);
        QCOMPARE(c.lost, 1);
    }

    void a_status_write_is_whole_and_from_the_ticks_around_the_kill()
    {
        // Tick 7 ended, tick 8 began when the kill came.
        const QList<Incarnation> runs = {run("controller3", 1, {tick('T', 7), tick('E', 7), tick('T', 8)})};
        QVERIFY(runs.last().killed_mid_tick());
        QStringList values;
        for (int i = 0; i < status_keys().size(); ++i)
            values << encode_value("controller3", i % 2 ? 7 : 8, i);
        QCOMPARE(check_status("controller3", runs, values), QStringList());

        QStringList torn = values;
        torn[3][torn[3].size() / 2] = QChar(u'Z');
        QCOMPARE(check_status("controller3", runs, torn).size(), 1);
        QStringList old = values;
        old[0] = encode_value("controller3", 6, 0);
        QCOMPARE(check_status("controller3", runs, old).size(), 1);
        QStringList other = values;
        other[1] = encode_value("controller4", 8, 1);
        QCOMPARE(check_status("controller3", runs, other).size(), 1);
        QStringList absent = values;
        absent[5].clear();
        QCOMPARE(check_status("controller3", runs, absent).size(), 1);
    }

    void logs_survive_a_cut_line_and_restarts_carry_on_their_numbers()
    {
        QTemporaryDir dir;
        {
            LogWriter log(log_path(dir.path(), "dialer", 1));
            log.line("T 1");
            log.line("P poloz_t 1 41");
            log.line("E 1");
            log.line("T 2");
        }
        QFile cut(log_path(dir.path(), "dialer", 1));
        QVERIFY(cut.open(QIODevice::Append));
        cut.write("P poloz_t 2 4");  // the kill fell inside this write
        cut.close();
        { LogWriter(log_path(dir.path(), "dialer", 2)).line("X"); }

        const QList<Incarnation> runs = read_incarnations(dir.path(), "dialer");
        QCOMPARE(runs.size(), 2);
        QCOMPARE(runs[0].records.size(), 4);
        QVERIFY(runs[0].killed_mid_tick());
        QVERIFY(!runs[0].finished());
        QVERIFY(runs[1].finished());
        QCOMPARE(highest_logged(runs, 'P'), qint64(41));
        QCOMPARE(highest_logged(runs, 'T'), qint64(2));
    }
};

QTEST_GUILESS_MAIN(TestStoreKillAccounting)
#include "test_store_kill_accounting.moc"
