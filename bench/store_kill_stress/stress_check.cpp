#include "bench/store_kill_stress/stress_check.h"

#include <QFile>
#include <QSet>

#include <algorithm>

#include "bench/store_kill_stress/stress_worker.h"

namespace kill_stress {

QList<Channel> channels()
{
    QList<Channel> list;
    for (int slot = 1; slot <= 4; ++slot)
        list.append({"poloz_t", slot, "dialer", QStringLiteral("controller%1").arg(slot)});
    for (int slot = 1; slot <= 4; ++slot)
        list.append({"vhod_zvonok", slot, QStringLiteral("controller%1").arg(slot), "dialer"});
    return list;
}

namespace {

bool matches(const Record& r, char kind, const Channel& channel)
{
    return r.kind == kind && r.slot == channel.slot && r.key == channel.key;
}

struct Take {
    qint64 token;
    int run;
};

// Token -> whether its write may not have happened.
QMap<qint64, bool> puts_of(const Channel& channel, const QList<Incarnation>& runs, ChannelCount& count)
{
    QMap<qint64, bool> puts;
    for (const Incarnation& run : runs) {
        for (qsizetype i = 0; i < run.records.size(); ++i) {
            if (!matches(run.records[i], 'P', channel))
                continue;
            const qint64 token = run.records[i].number;
            count.doubled += puts.contains(token) ? 1 : 0;
            const bool unsure = !run.finished() && i == run.records.size() - 1;
            puts[token] = unsure;
            ++(unsure ? count.unsure_put : count.put);
        }
    }
    return puts;
}

// Runs whose log ends with the announcement of a take of this channel.
QList<int> unrecorded_takes(const Channel& channel, const QList<Incarnation>& runs)
{
    QList<int> list;
    for (const Incarnation& run : runs)
        if (!run.finished() && !run.records.isEmpty() && matches(run.records.last(), 'A', channel))
            list << run.index;
    return list;
}

// A kill in run j can have swallowed token m only when every token recorded
// by runs up to j is below m and every later one above it.
bool fits_gap(const QList<Take>& takes, qint64 left, int run, qint64 missing)
{
    for (const Take& t : takes)
        if ((t.run <= run) != (t.token < missing))
            return false;
    return left < 0 || left > missing;
}

}  // namespace

ChannelCount check_channel(const Channel& channel, const QList<Incarnation>& producer_runs,
                           const QList<Incarnation>& consumer_runs, const QString& left_value)
{
    ChannelCount count;
    const QMap<qint64, bool> puts = puts_of(channel, producer_runs, count);
    QList<Take> takes;
    for (const Incarnation& run : consumer_runs)
        for (const Record& r : run.records)
            if (matches(r, 'R', channel))
                takes.append({r.number, run.index});
    count.taken = int(takes.size());

    QSet<qint64> seen;
    qint64 previous = 0;
    for (const Take& t : takes) {
        count.doubled += seen.contains(t.token) ? 1 : 0;
        count.foreign += puts.contains(t.token) ? 0 : 1;
        count.out_of_order += t.token > previous ? 0 : 1;
        previous = std::max(previous, t.token);
        seen.insert(t.token);
    }
    qint64 left = -1;
    if (!left_value.isEmpty()) {
        bool ok = false;
        left = left_value.toLongLong(&ok);
        count.left = 1;
        count.foreign += ok && puts.contains(left) ? 0 : 1;
        count.doubled += seen.contains(left) ? 1 : 0;
        count.out_of_order += left > previous ? 0 : 1;
        seen.insert(left);
    }

    QList<int> kills = unrecorded_takes(channel, consumer_runs);
    for (auto it = puts.begin(); it != puts.end(); ++it) {
        if (seen.contains(it.key()))
            continue;
        if (it.value()) {
            ++count.unput;
            continue;
        }
        const auto kill = std::find_if(kills.begin(), kills.end(),
                                       [&](int run) { return fits_gap(takes, left, run, it.key()); });
        if (kill == kills.end()) {
            ++count.lost;
        } else {
            ++count.gap_by_kill;
            kills.erase(kill);
        }
    }
    return count;
}

QStringList check_status(const QString& role, const QList<Incarnation>& runs, const QStringList& values)
{
    const qint64 ended = highest_logged(runs, 'E');
    const qint64 begun = highest_logged(runs, 'T');
    const QStringList keys = status_keys();
    QStringList faults;
    for (qsizetype i = 0; i < values.size() && i < keys.size(); ++i) {
        if (values[i].isEmpty()) {
            if (ended > 0)
                faults << QStringLiteral("%1: %2 empty after tick %3").arg(role, keys[i]).arg(ended);
            continue;
        }
        const Decoded value = decode_value(values[i]);
        if (!value.whole || value.writer != role)
            faults << QStringLiteral("%1: %2 not whole").arg(role, keys[i]);
        else if (value.tick < ended || value.tick > begun)
            faults << QStringLiteral("%1: %2 from tick %3, expected %4 to %5")
                          .arg(role, keys[i]).arg(value.tick).arg(ended).arg(begun);
    }
    return faults;
}

int torn_reads(const QList<Incarnation>& runs)
{
    int count = 0;
    for (const Incarnation& run : runs)
        count += int(std::count_if(run.records.begin(), run.records.end(),
                                   [](const Record& r) { return r.kind == 'B'; }));
    return count;
}

void add_samples(const QString& dir, const QString& role, int runs, Samples& samples)
{
    for (int index = 1; index <= runs; ++index) {
        QFile file(latency_path(dir, role, index));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (line.isEmpty())
                continue;
            if (words[0] == "busy" && words.size() == 2) {
                samples.busy += words[1].toInt();
                continue;
            }
            std::vector<double>& list = samples.by_kind[QString::fromLatin1(words[0])];
            for (qsizetype i = 1; i < words.size(); ++i)
                list.push_back(words[i].toDouble());
        }
    }
}

}  // namespace kill_stress
