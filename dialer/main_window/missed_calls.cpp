#include "dialer/main_window/missed_calls.h"

#include "journal/journal.h"

namespace main_window {

namespace {
// A call that rang for a while before the dialer started may still end as
// missed after it: look back this far by start time.
constexpr qint64 kLookBackMs = 10 * 60 * 1000;
}  // namespace

MissedCallWatch::MissedCallWatch(journal::Journal& journal, qint64 started_ms)
    : journal_(journal), started_ms_(started_ms)
{
}

QList<MissedCall> MissedCallWatch::new_missed_calls()
{
    journal::Filter filter;
    filter.missed_only = true;
    filter.since_ms = started_ms_ - kLookBackMs;
    QList<MissedCall> calls;
    const QList<journal::CallRecord> records = journal_.fetch_all(filter);
    // Newest first from the journal; the user reads them in the order they came.
    for (auto record = records.crbegin(); record != records.crend(); ++record) {
        if (record->end_ms < started_ms_ || seen_ids_.contains(record->id))
            continue;
        seen_ids_.insert(record->id);
        calls.append(MissedCall{record->number, record->line.toInt(), record->model,
                                QDateTime::fromMSecsSinceEpoch(record->start_ms)});
    }
    return calls;
}

}  // namespace main_window
