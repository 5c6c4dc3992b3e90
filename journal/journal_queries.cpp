#include "journal/journal.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <sqlite3.h>

namespace journal {

namespace {

const char record_columns[] =
    "id, line, model, direction, number, start_ms, answer_ms, end_ms, last_seen_ms, outcome";

// The filter's conditions over parameters ?1 (part of the number), ?2
// (earliest start) and ?5 (further numbers, a JSON list); one text per
// combination, so each is prepared once.
QByteArray where_clause(const Filter& filter)
{
    QByteArray where = " WHERE 1";
    const QByteArray part = "instr(number, ?1) > 0";
    const QByteArray listed = "number IN (SELECT value FROM json_each(?5))";
    if (!filter.number_part.isEmpty() && !filter.numbers.isEmpty())
        where += " AND (" + part + " OR " + listed + ")";
    else if (!filter.number_part.isEmpty())
        where += " AND " + part;
    else if (!filter.numbers.isEmpty())
        where += " AND " + listed;
    if (filter.since_ms > 0)
        where += " AND start_ms >= ?2";
    if (filter.missed_only)
        where += " AND outcome = 'missed'";
    return where;
}

QByteArray order_clause(const Filter& filter)
{
    QByteArray column;
    switch (filter.order) {
    case Filter::Order::Start: column = "start_ms"; break;
    case Filter::Order::Line: column = "line"; break;
    case Filter::Order::Direction: column = "direction"; break;
    case Filter::Order::Number: column = "number"; break;
    case Filter::Order::TalkTime:
        column = "CASE WHEN answer_ms > 0 AND end_ms IS NOT NULL THEN end_ms - answer_ms ELSE 0 END";
        break;
    case Filter::Order::Outcome: column = "outcome"; break;
    }
    return " ORDER BY " + column + (filter.ascending ? " ASC" : " DESC") + ", start_ms DESC, id DESC";
}

void bind_filter(sqlite3_stmt* stmt, const Filter& filter)
{
    if (!filter.number_part.isEmpty()) {
        const QByteArray utf8 = filter.number_part.toUtf8();
        sqlite3_bind_text(stmt, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    if (filter.since_ms > 0)
        sqlite3_bind_int64(stmt, 2, filter.since_ms);
    if (!filter.numbers.isEmpty()) {
        const QByteArray json = QJsonDocument(QJsonArray::fromStringList(filter.numbers)).toJson(QJsonDocument::Compact);
        sqlite3_bind_text(stmt, 5, json.constData(), int(json.size()), SQLITE_TRANSIENT);
    }
}

CallRecord record_of(sqlite3_stmt* stmt)
{
    CallRecord record;
    record.id = sqlite3_column_int64(stmt, 0);
    record.line = column_text(stmt, 1);
    record.model = column_text(stmt, 2);
    record.direction = direction_from_text(column_text(stmt, 3));
    record.number = column_text(stmt, 4);
    record.start_ms = sqlite3_column_int64(stmt, 5);
    record.answer_ms = sqlite3_column_int64(stmt, 6);
    record.end_ms = sqlite3_column_int64(stmt, 7);
    record.last_seen_ms = sqlite3_column_int64(stmt, 8);
    record.outcome = outcome_from_text(column_text(stmt, 9), sqlite3_column_type(stmt, 9) == SQLITE_NULL);
    return record;
}

}  // namespace

QString number_search_text(const QString& typed)
{
    static const QString separators = QStringLiteral(" -().\u00a0");
    QString digits;
    for (const QChar c : typed) {
        if (c.isDigit() || c == QLatin1Char('+'))
            digits += c;
        else if (!separators.contains(c))
            return typed;  // not a number: searched as it stands
    }
    return digits.isEmpty() ? typed : digits;
}

QStringList Journal::distinct_numbers()
{
    QStringList numbers;
    if (!db_.ready())
        return numbers;
    sqlite3_stmt* stmt = db_.statement("SELECT DISTINCT number FROM calls WHERE number <> ''");
    if (!stmt)
        return numbers;
    StatementUse use(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        numbers.append(column_text(stmt, 0));
    if (!db_.check(rc, "query"))
        numbers.clear();
    return numbers;
}

int Journal::count(const Filter& filter)
{
    read_ok_ = false;
    if (!db_.ready())
        return 0;
    const QByteArray sql = "SELECT count(*) FROM calls" + where_clause(filter);
    sqlite3_stmt* stmt = db_.statement(sql.constData());
    if (!stmt)
        return 0;
    StatementUse use(stmt);
    bind_filter(stmt, filter);
    read_ok_ = db_.check(sqlite3_step(stmt), "count");
    return read_ok_ ? sqlite3_column_int(stmt, 0) : 0;
}

QList<CallRecord> Journal::fetch(const Filter& filter, int offset, int limit)
{
    QList<CallRecord> records;
    read_ok_ = false;
    if (!db_.ready())
        return records;
    const QByteArray sql = QByteArray("SELECT ") + record_columns + " FROM calls" + where_clause(filter)
                         + order_clause(filter) + " LIMIT ?3 OFFSET ?4";
    sqlite3_stmt* stmt = db_.statement(sql.constData());
    if (!stmt)
        return records;
    StatementUse use(stmt);
    bind_filter(stmt, filter);
    sqlite3_bind_int(stmt, 3, limit);
    sqlite3_bind_int(stmt, 4, offset);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        records.append(record_of(stmt));
    read_ok_ = db_.check(rc, "query");
    if (!read_ok_)
        records.clear();
    return records;
}

QList<qint64> Journal::matching_ids(const Filter& filter)
{
    QList<qint64> ids;
    read_ok_ = false;
    if (!db_.ready())
        return ids;
    const QByteArray sql = "SELECT id FROM calls" + where_clause(filter) + order_clause(filter);
    sqlite3_stmt* stmt = db_.statement(sql.constData());
    if (!stmt)
        return ids;
    StatementUse use(stmt);
    bind_filter(stmt, filter);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        ids.append(sqlite3_column_int64(stmt, 0));
    read_ok_ = db_.check(rc, "query");
    if (!read_ok_)
        ids.clear();
    return ids;
}

QList<CallRecord> Journal::fetch_ids(const QList<qint64>& ids)
{
    QList<CallRecord> records;
    read_ok_ = false;
    if (!db_.ready())
        return records;
    const QByteArray sql = QByteArray("SELECT ") + record_columns + " FROM calls WHERE id = ?1";
    sqlite3_stmt* stmt = db_.statement(sql.constData());
    if (!stmt)
        return records;
    for (const qint64 id : ids) {
        StatementUse use(stmt);
        sqlite3_bind_int64(stmt, 1, id);
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            records.append(record_of(stmt));
        else if (!db_.check(rc, "query"))
            return records;
    }
    read_ok_ = true;
    return records;
}

QList<CallRecord> Journal::open_calls(const QString& line)
{
    QList<CallRecord> records;
    if (!db_.ready())
        return records;
    const QByteArray sql = QByteArray("SELECT ") + record_columns +
                           " FROM calls WHERE line = ?1 AND end_ms IS NULL ORDER BY start_ms, id";
    sqlite3_stmt* stmt = db_.statement(sql.constData());
    if (!stmt)
        return records;
    StatementUse use(stmt);
    const QByteArray utf8 = line.toUtf8();
    sqlite3_bind_text(stmt, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        records.append(record_of(stmt));
    if (!db_.check(rc, "query"))
        records.clear();
    return records;
}

qint64 Journal::data_version()
{
    read_ok_ = false;
    if (!db_.ready())
        return -1;
    sqlite3_stmt* stmt = db_.statement("PRAGMA data_version");
    if (!stmt)
        return -1;
    StatementUse use(stmt);
    read_ok_ = db_.check(sqlite3_step(stmt), "data version");
    return read_ok_ ? sqlite3_column_int64(stmt, 0) : -1;
}

}  // namespace journal
