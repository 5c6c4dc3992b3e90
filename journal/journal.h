#pragma once
#include <QDateTime>
#include <QHash>
#include <QList>
#include <functional>
#include <QString>
#include <QStringList>

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
    // Numbers, as the journal writes them, covered beside those that hold
    // number_part: the numbers of the contacts whose names hold it.
    QStringList numbers = {};
};

// What a search typed as a phone number looks for: the digits of
// "067 123", "(067) 12-3" and "067.123" as the phone lists them ("067123");
// any other text as it stands.
QString number_search_text(const QString& typed);

// The call journal: each write is one statement of its own, so a crash
// loses no call that was written. Writes that fail are dropped (a warning
// per kind of failure in "vekorra.journal"); they report false or id 0 —
// unless the journal keeps them (keep_failed_writes): then the writes of a
// call are kept in order and tried again until the journal takes them, and
// a call started meanwhile has a stand-in id (below 0) that its later
// writes use like any other.
class Journal {
public:
    explicit Journal(const QString& path = journal_path(), JournalDatabase::Use use = JournalDatabase::Use::Background);

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

    // Every number the journal holds, once each (no empty one).
    QStringList distinct_numbers();
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

    // A controller's calls: a write the journal cannot take now (another
    // program holds its lock, it cannot be opened) is kept, not dropped.
    // Applies to the writes of a call: started, answered, number, ended,
    // seen, and the ending of calls left open.
    void keep_failed_writes(bool keep) { keep_failed_ = keep; }
    // Tries the kept writes, oldest first, waiting at most wait_ms for a
    // lock; true when none is left. Kept writes are tried before any new
    // one too, and a new one waits behind them.
    bool retry_kept_writes(int wait_ms);
    int kept_writes() const { return int(kept_.size()); }
    // At most this many are kept; beyond it the oldest go, with a warning.
    static constexpr int max_kept_writes = 2000;
    // The wait for a lock when kept writes are tried along with a new one.
    static constexpr int retry_wait_ms = 20;

    // Whether the last query read everything it asked for. A query that
    // failed returns what an empty journal would: ask this before showing
    // nothing as "no calls".
    bool read_ok() const { return read_ok_; }
    // The file was found damaged: nothing reads or writes it any more.
    bool damaged() const { return db_.damaged(); }
    // A whole-file check made off this journal's thread (see
    // JournalDatabase::check_file) is taken as this journal's own finding.
    void take_check(const JournalDatabase::FileCheck& check) { db_.take_check(check); }
    // Moves a damaged journal and its -wal and -shm aside, as
    // "<path>.damaged-<time>", so that a new journal starts at the path and
    // the damaged one stays for a repair. The name it now has; empty when
    // it could not be moved (the reason in last_error()).
    QString move_damaged_aside(const QDateTime& now);

    // Whether the journal could be used at all, and why not.
    bool usable() { return db_.ready(); }
    QString last_error() const { return move_error_.isEmpty() ? db_.last_error() : move_error_; }
    const QString& path() const { return db_.path(); }

private:
    bool run(const char* sql, const char* during, const std::function<void(sqlite3_stmt*)>& bind);
    // A write of a call: run now, or kept when the journal keeps failed
    // writes. False when it was not written now.
    using Write = std::function<bool(Journal&)>;
    bool write(const Write& change);
    void keep(const Write& change);
    // The record a (possibly stand-in) id names now; 0 while unknown.
    qint64 record_id(qint64 id) const;

    JournalDatabase db_;
    bool read_ok_ = true;
    bool keep_failed_ = false;
    QList<Write> kept_;
    QHash<qint64, qint64> written_ids_;  // stand-in id -> record id
    qint64 next_stand_in_ = -1;
    QString move_error_;
};

}  // namespace journal
