#pragma once
#include <QMap>
#include <QStringList>

#include <vector>

#include "bench/store_kill_stress/stress_log.h"

namespace kill_stress {

// A token channel: producer puts numbered tokens into key of slot, consumer
// takes them.
struct Channel {
    QString key;
    int slot;
    QString producer, consumer;
};
QList<Channel> channels();

struct ChannelCount {
    int put = 0;         // tokens logged as put, the write certainly done
    int unsure_put = 0;  // logged, then the producer was killed before its next step
    int unput = 0;       // of those, found nowhere: the write never happened
    int taken = 0;       // takes recorded
    int left = 0;        // token still in the key at the end (0 or 1)
    int gap_by_kill = 0; // missing tokens explained by a kill between take and record
    int lost = 0;        // missing tokens not so explained
    int doubled = 0;     // tokens put twice, taken twice, or taken and still left
    int foreign = 0;     // taken or left values that were never put
    int out_of_order = 0;
};

// Checks one channel from the logs and the key's value at the end.
//
// Why a missing token can be told apart from a lost take: the consumer
// logs "A" before each take and "R token" after a take that found one, each
// line handed to the kernel before the next step. A SIGKILL between the
// take's commit and its "R" loses the record but not the take, and leaves a
// log whose last line is that "A" (and no "X"). Tokens are put only into an
// empty key, so the consumer takes them in increasing order; the token such
// a kill swallowed is therefore above everything that run recorded and below
// everything later runs recorded. Each such log explains at most one missing
// token in exactly that gap; any other missing token is a lost take.
// Likewise the producer logs "P token" before its write, so only the last
// "P" of a killed run may never have reached the store.
ChannelCount check_channel(const Channel& channel, const QList<Incarnation>& producer_runs,
                           const QList<Incarnation>& consumer_runs, const QString& left_value);

// The status keys of a controller role must each hold a whole value of
// that role from the last tick that ended or a later one that began:
// every write is wholly there or wholly absent. Returns the faults found.
QStringList check_status(const QString& role, const QList<Incarnation>& runs, const QStringList& values);

// "B" records: reads that found a value that was not whole.
int torn_reads(const QList<Incarnation>& runs);

// Latency samples and busy errors from every latency file of role.
struct Samples {
    QMap<QString, std::vector<double>> by_kind;
    int busy = 0;
};
void add_samples(const QString& dir, const QString& role, int runs, Samples& samples);

}  // namespace kill_stress
