#pragma once
#include <QList>
#include <functional>
#include <QString>

#include "journal/call_record.h"
#include "journal/journal_database.h"

namespace journal {

// Which records a query covers. Empty parts cover everything.
struct Filter {
    QString number_part;       // any part of the number, as typed
    bool missed_only = false;  // outcome "missed"
    qint64 since_ms = 0;       // started at or after; 0: no limit
    // The order of the records (newest first unless told otherwise); ties
    // newest first.
    enum class Order { Start, Line, Direction, Number, TalkTime, Outcome };
    Order order = Order::Start;
    bool ascending = false;
};

// What a search typed as a phone number looks for: the digits of
// "067 123", "(067) 12-3" and "067.123" as the phone lists them ("067123");
// any other text as it stands.
QString number_search_text(const QString& typed);

// The call journal: each write is one statement of its own, so a crash
// loses no call that was written. Writes that fail are dropped (a warning
// per kind of failure in "vekorra.journal"); they report false or id 0.
class Journal {
public:
    explicit Journal(const QString& path = journal_path());

    // A call begins: one insert; the record's id, 0 on failure.
    qint64 call_started(const QString& line, const QString& model, Direction direction, const QString& number,
                        qint64 start_ms);
    bool call_answered(qint64 id, qint64 answer_ms);
    // A number the phone filled in after the call was first listed without.
    bool number_learnt(qint64 id, const QString& number);
    bool call_ended(qint64 id, qint64 end_ms, Outcome outcome);
    // The calls of a line that are still open were seen going on at this
    // time: one update for all of them.
    bool line_seen(const QString& line, qint64 seen_ms);
    // A number handed to Skype or the SIP softphone: one closed record.
    qint64 handed_over(const QString& line, const QString& number, qint64 at_ms);
    // At a controller's start: the calls its line left open were cut off;
    // they end when they were last seen. Returns how many, -1 on failure.
    int interrupt_open_calls(const QString& line);
    // The calls of a line that are still open, oldest first.
    QList<CallRecord> open_calls(const QString& line);
    // One open call was cut off: it ends when it was last seen.
    bool interrupt_call(qint64 id);

    // Queries, newest first.
    int count(const Filter& filter);
    QList<CallRecord> fetch(const Filter& filter, int offset, int limit);
    QList<CallRecord> fetch_all(const Filter& filter) { return fetch(filter, 0, -1); }
    // The ids of the records the filter covers, newest first: one walk of
    // an index, cheap to keep for 100 000 calls; the rows follow by id.
    QList<qint64> matching_ids(const Filter& filter);
    // The records of these ids in this order; an id removed meanwhile is
    // left out.
    QList<CallRecord> fetch_ids(const QList<qint64>& ids);
    bool remove(qint64 id);
    // Removes ended calls that started before the time; the number removed,
    // -1 on failure.
    int remove_started_before(qint64 before_ms);
    // Retention: removes ended calls older than days before now; 0 days
    // keeps every call.
    int remove_older_than_days(int days, qint64 now_ms);
    // How many ended calls that retention would remove; -1 on failure.
    int count_older_than_days(int days, qint64 now_ms);
    // Changes whenever another connection changed the journal: a cheap test
    // whether a shown page is stale. -1 on failure.
    qint64 data_version();

    // Whether the journal could be used at all, and why not.
    bool usable() { return db_.ready(); }
    QString last_error() const { return db_.last_error(); }
    const QString& path() const { return db_.path(); }

private:
    bool run(const char* sql, const char* during, const std::function<void(sqlite3_stmt*)>& bind);

    JournalDatabase db_;
};

}  // namespace journal
