#include "journal/journal.h"

#include <QFile>

#include <sqlite3.h>

namespace journal {

Journal::Journal(const QString& path, JournalDatabase::Use use) : db_(path, use) {}

bool Journal::run(const char* sql, const char* during, const std::function<void(sqlite3_stmt*)>& bind)
{
    if (!db_.ready_to_write())
        return false;
    sqlite3_stmt* stmt = db_.statement(sql);
    if (!stmt)
        return false;
    StatementUse use(stmt);
    bind(stmt);
    return db_.check(sqlite3_step(stmt), during);
}

bool Journal::write(const Write& change)
{
    // Behind writes still kept, in their order: one short look whether
    // the journal takes them all now.
    if (keep_failed_ && !kept_.isEmpty()) {
        keep(change);
        return retry_kept_writes(retry_wait_ms);
    }
    if (change(*this))
        return true;
    if (keep_failed_)
        keep(change);
    return false;
}

void Journal::keep(const Write& change)
{
    if (kept_.size() >= max_kept_writes) {
        kept_.removeFirst();
        qCWarning(lcJournal).noquote() << "call journal" << path() << "kept too many unwritten changes; the oldest is lost";
    }
    kept_.append(change);
}

bool Journal::retry_kept_writes(int wait_ms)
{
    if (kept_.isEmpty())
        return true;
    const int usual_wait_ms = db_.busy_timeout_ms();
    db_.set_busy_timeout(wait_ms);
    while (!kept_.isEmpty() && kept_.first()(*this))
        kept_.removeFirst();
    db_.set_busy_timeout(usual_wait_ms);
    return kept_.isEmpty();
}

qint64 Journal::record_id(qint64 id) const { return id >= 0 ? id : written_ids_.value(id, 0); }

qint64 Journal::call_started(const QString& line, const QString& model, Direction direction, const QString& number,
                             qint64 start_ms)
{
    const qint64 stand_in = next_stand_in_--;
    const bool written = write([=](Journal& journal) {
        const bool ok = journal.run("INSERT INTO calls (line, model, direction, number, start_ms, last_seen_ms)"
                                    " VALUES (?1, ?2, ?3, ?4, ?5, ?5)",
                                    "insert", [&](sqlite3_stmt* stmt) {
                                        bind_text(stmt, 1, line);
                                        bind_text(stmt, 2, model);
                                        bind_text(stmt, 3, direction_text(direction));
                                        bind_text(stmt, 4, number);
                                        sqlite3_bind_int64(stmt, 5, start_ms);
                                    });
        if (ok)
            journal.written_ids_.insert(stand_in, sqlite3_last_insert_rowid(journal.db_.handle()));
        return ok;
    });
    if (written)
        return written_ids_.take(stand_in);
    return keep_failed_ ? stand_in : 0;
}

// The writes of a call whose record is known by id. A record whose start
// was lost (too many kept) has nothing left to change.
bool Journal::call_answered(qint64 id, qint64 answer_ms)
{
    return id != 0 && write([=](Journal& journal) {
               const qint64 record = journal.record_id(id);
               return record == 0
                   || journal.run("UPDATE calls SET answer_ms = ?2, last_seen_ms = ?2 WHERE id = ?1 AND answer_ms IS NULL",
                                  "answer", [&](sqlite3_stmt* stmt) {
                                      sqlite3_bind_int64(stmt, 1, record);
                                      sqlite3_bind_int64(stmt, 2, answer_ms);
                                  });
           });
}

bool Journal::number_learnt(qint64 id, const QString& number)
{
    return id != 0 && write([=](Journal& journal) {
               const qint64 record = journal.record_id(id);
               return record == 0
                   || journal.run("UPDATE calls SET number = ?2 WHERE id = ?1", "number", [&](sqlite3_stmt* stmt) {
                          sqlite3_bind_int64(stmt, 1, record);
                          bind_text(stmt, 2, number);
                      });
           });
}

bool Journal::call_ended(qint64 id, qint64 end_ms, Outcome outcome)
{
    return id != 0 && write([=](Journal& journal) {
               const qint64 record = journal.record_id(id);
               return record == 0
                   || journal.run("UPDATE calls SET end_ms = ?2, last_seen_ms = ?2, outcome = ?3"
                                  " WHERE id = ?1 AND end_ms IS NULL",
                                  "end", [&](sqlite3_stmt* stmt) {
                                      sqlite3_bind_int64(stmt, 1, record);
                                      sqlite3_bind_int64(stmt, 2, end_ms);
                                      bind_text(stmt, 3, outcome_text(outcome));
                                  });
           });
}

bool Journal::line_seen(const QString& line, qint64 seen_ms)
{
    return write([=](Journal& journal) {
        return journal.run("UPDATE calls SET last_seen_ms = ?2 WHERE line = ?1 AND end_ms IS NULL", "last seen",
                           [&](sqlite3_stmt* stmt) {
                               bind_text(stmt, 1, line);
                               sqlite3_bind_int64(stmt, 2, seen_ms);
                           });
    });
}

qint64 Journal::handed_over(const QString& line, const QString& number, qint64 at_ms)
{
    const bool ok = run("INSERT INTO calls (line, direction, number, start_ms, end_ms, last_seen_ms, outcome)"
                        " VALUES (?1, 'out', ?2, ?3, ?3, ?3, 'handed-over')",
                        "insert", [&](sqlite3_stmt* stmt) {
                            bind_text(stmt, 1, line);
                            bind_text(stmt, 2, number);
                            sqlite3_bind_int64(stmt, 3, at_ms);
                        });
    return ok ? sqlite3_last_insert_rowid(db_.handle()) : 0;
}

int Journal::interrupt_open_calls(const QString& line)
{
    const bool written = write([line](Journal& journal) {
        return journal.run("UPDATE calls SET outcome = 'interrupted',"
                           " end_ms = max(start_ms, coalesce(last_seen_ms, start_ms), coalesce(answer_ms, start_ms))"
                           " WHERE line = ?1 AND end_ms IS NULL",
                           "interrupt", [&](sqlite3_stmt* stmt) { bind_text(stmt, 1, line); });
    });
    return written ? sqlite3_changes(db_.handle()) : -1;
}

bool Journal::interrupt_call(qint64 id)
{
    return id != 0 && write([=](Journal& journal) {
               const qint64 record = journal.record_id(id);
               return record == 0
                   || journal.run("UPDATE calls SET outcome = 'interrupted',"
                                  " end_ms = max(start_ms, coalesce(last_seen_ms, start_ms), coalesce(answer_ms, start_ms))"
                                  " WHERE id = ?1 AND end_ms IS NULL",
                                  "interrupt", [&](sqlite3_stmt* stmt) { sqlite3_bind_int64(stmt, 1, record); });
           });
}

bool Journal::remove(qint64 id)
{
    return run("DELETE FROM calls WHERE id = ?1", "delete", [&](sqlite3_stmt* stmt) { sqlite3_bind_int64(stmt, 1, id); })
        && sqlite3_changes(db_.handle()) > 0;
}

int Journal::remove_started_before(qint64 before_ms)
{
    const bool ok = run("DELETE FROM calls WHERE start_ms < ?1 AND end_ms IS NOT NULL", "delete",
                        [&](sqlite3_stmt* stmt) { sqlite3_bind_int64(stmt, 1, before_ms); });
    return ok ? sqlite3_changes(db_.handle()) : -1;
}

int Journal::remove_older_than_days(int days, qint64 now_ms)
{
    if (days <= 0)
        return 0;
    return remove_started_before(now_ms - qint64(days) * 24 * 3600 * 1000);
}

int Journal::count_older_than_days(int days, qint64 now_ms)
{
    if (days <= 0)
        return 0;
    if (!db_.ready())
        return -1;
    sqlite3_stmt* stmt = db_.statement("SELECT count(*) FROM calls WHERE start_ms < ?1 AND end_ms IS NOT NULL");
    if (!stmt)
        return -1;
    StatementUse use(stmt);
    sqlite3_bind_int64(stmt, 1, now_ms - qint64(days) * 24 * 3600 * 1000);
    return db_.check(sqlite3_step(stmt), "count") ? sqlite3_column_int(stmt, 0) : -1;
}

QString Journal::move_damaged_aside(const QDateTime& now)
{
    move_error_.clear();
    if (!db_.damaged())
        return QString();
    db_.close();
    const QString aside = db_.path() + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (QFile::exists(aside) || !QFile::rename(db_.path(), aside)) {
        move_error_ = QStringLiteral("cannot rename %1 to %2").arg(db_.path(), aside);
        return QString();
    }
    // The -wal holds what was written last: it goes with its file. The
    // -shm is SQLite's index of it and would mislead a new journal.
    for (const char* suffix : {"-wal", "-shm"})
        if (QFile::exists(db_.path() + QLatin1String(suffix)))
            QFile::rename(db_.path() + QLatin1String(suffix), aside + QLatin1String(suffix));
    return aside;
}

}  // namespace journal
