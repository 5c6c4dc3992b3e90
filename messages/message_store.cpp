#include "messages/message_store.h"

#include <sqlite3.h>

#include <functional>

namespace messages {

namespace {

using settings_store::bind_text;
using settings_store::column_text;

Message read_message(sqlite3_stmt* stmt)
{
    Message message;
    message.id = sqlite3_column_int64(stmt, 0);
    message.line = column_text(stmt, 1);
    message.model = column_text(stmt, 2);
    message.direction = column_text(stmt, 3) == QLatin1String("out") ? Direction::Out : Direction::In;
    message.number = column_text(stmt, 4);
    message.text = column_text(stmt, 5);
    message.sent_ms = sqlite3_column_int64(stmt, 6);
    message.received_ms = sqlite3_column_int64(stmt, 7);
    message.parts = sqlite3_column_int(stmt, 8);
    state_from_text(column_text(stmt, 9), message.state);
    message.reason = column_text(stmt, 10);
    return message;
}

// Runs one kept statement: binds, then steps through its rows.
class Statement {
public:
    Statement(journal::JournalDatabase& db, const char* sql, const char* during)
        : db_(db), stmt_(db.ready() ? db.statement(sql) : nullptr), during_(during)
    {
    }
    ~Statement()
    {
        if (stmt_) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool valid() const { return stmt_; }
    sqlite3_stmt* get() const { return stmt_; }
    Statement& text(int index, const QString& value)
    {
        if (stmt_)
            bind_text(stmt_, index, value);
        return *this;
    }
    Statement& number(int index, qint64 value)
    {
        if (stmt_)
            sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    // Steps once: true for a row (row() then), false at the end or on failure.
    bool next()
    {
        if (!stmt_ || failed_)
            return false;
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        failed_ = !db_.check(rc, during_);
        return false;
    }
    // Runs a statement without rows; false on failure.
    bool run()
    {
        next();
        return stmt_ && !failed_;
    }
    bool ok() const { return stmt_ && !failed_; }

private:
    journal::JournalDatabase& db_;
    sqlite3_stmt* stmt_;
    const char* during_;
    bool failed_ = false;
};

constexpr char ellipsis[] = "…";

}  // namespace

MessageStore::MessageStore(const QString& path) : db_(path) {}

bool MessageStore::transaction(const char* during, const std::function<bool()>& body)
{
    if (!db_.ready() || !db_.check(sqlite3_exec(db_.handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), during))
        return false;
    if (body() && db_.check(sqlite3_exec(db_.handle(), "COMMIT", nullptr, nullptr, nullptr), during))
        return true;
    sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

qint64 MessageStore::insert_message(const Message& m)
{
    Statement insert(db_,
                     "INSERT INTO messages (line, model, direction, number, conversation, text, sent_ms,"
                     " received_ms, parts, state, reason) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)",
                     "insert message");
    insert.text(1, m.line).text(2, m.model).text(3, direction_text(m.direction)).text(4, m.number)
        .text(5, conversation_key(m.number)).text(6, m.text).number(8, m.received_ms).number(9, m.parts)
        .text(10, state_text(m.state)).text(11, m.reason);
    if (m.sent_ms)
        insert.number(7, m.sent_ms);
    return insert.run() ? sqlite3_last_insert_rowid(db_.handle()) : 0;
}

Kept MessageStore::keep_received(const ReceivedPart& part, qint64* message_id)
{
    Kept kept = Kept::Failed;
    const bool ok = transaction("keep message", [&] {
        if (!part.fingerprint.isEmpty()) {
            Statement seen(db_, "INSERT OR IGNORE INTO message_seen (line, fingerprint, seen_ms) VALUES (?1, ?2, ?3)",
                           "keep message");
            if (!seen.text(1, part.line).text(2, part.fingerprint).number(3, part.received_ms).run())
                return false;
            if (sqlite3_changes(db_.handle()) == 0) {
                // Still on the phone: retention must not forget it, or it
                // would be kept again at the next listing.
                kept = Kept::Known;
                return Statement(db_, "UPDATE message_seen SET seen_ms = ?3 WHERE line = ?1 AND fingerprint = ?2",
                                 "keep message")
                    .text(1, part.line).text(2, part.fingerprint).number(3, part.received_ms).run();
            }
        }
        kept = keep_part(part, message_id);
        return kept != Kept::Failed;
    });
    return ok ? kept : Kept::Failed;
}

Kept MessageStore::keep_part(const ReceivedPart& part, qint64* message_id)
{
    Message message;
    message.line = part.line;
    message.model = part.model;
    message.number = part.number;
    message.text = part.text;
    message.sent_ms = part.sent_ms;
    message.received_ms = part.received_ms;
    if (part.count <= 1) {
        const qint64 id = insert_message(message);
        if (message_id)
            *message_id = id;
        return id ? Kept::New : Kept::Failed;
    }
    // A part sent twice by the network is kept once.
    Statement insert(db_,
                     "INSERT INTO message_parts (line, model, number, reference, count, sequence, text, sent_ms,"
                     " received_ms) SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9 WHERE NOT EXISTS (SELECT 1 FROM"
                     " message_parts WHERE message_id IS NULL AND line = ?1 AND number = ?3 AND reference = ?4"
                     " AND count = ?5 AND sequence = ?6)",
                     "keep part");
    if (!insert.text(1, part.line).text(2, part.model).text(3, part.number).number(4, part.reference)
             .number(5, part.count).number(6, part.sequence).text(7, part.text).number(8, part.sent_ms)
             .number(9, part.received_ms).run())
        return Kept::Failed;
    Statement parts(db_,
                    "SELECT sequence, text, sent_ms, received_ms FROM message_parts WHERE message_id IS NULL"
                    " AND line = ?1 AND number = ?2 AND reference = ?3 AND count = ?4 ORDER BY sequence",
                    "join parts");
    parts.text(1, part.line).text(2, part.number).number(3, part.reference).number(4, part.count);
    QStringList texts;
    qint64 first_received = part.received_ms, first_sent = 0;
    while (parts.next()) {
        texts.append(column_text(parts.get(), 1));
        if (!first_sent || sqlite3_column_int64(parts.get(), 2) < first_sent)
            first_sent = sqlite3_column_int64(parts.get(), 2);
        first_received = qMin(first_received, sqlite3_column_int64(parts.get(), 3));
    }
    if (!parts.ok())
        return Kept::Failed;
    if (texts.size() < part.count)
        return Kept::Waiting;
    message.text = texts.join(QString());
    message.sent_ms = first_sent;
    message.received_ms = first_received;
    message.parts = part.count;
    const qint64 id = insert_message(message);
    Statement done(db_,
                   "DELETE FROM message_parts WHERE message_id IS NULL AND line = ?1 AND number = ?2"
                   " AND reference = ?3 AND count = ?4",
                   "join parts");
    if (!id || !done.text(1, part.line).text(2, part.number).number(3, part.reference).number(4, part.count).run())
        return Kept::Failed;
    if (message_id)
        *message_id = id;
    return Kept::New;
}

int MessageStore::close_incomplete(qint64 now_ms, qint64 wait_ms)
{
    int closed = 0;
    const bool ok = transaction("close incomplete", [&] {
        Statement groups(db_,
                         "SELECT line, number, reference, count, min(received_ms), min(sent_ms), max(model)"
                         " FROM message_parts WHERE message_id IS NULL GROUP BY line, number, reference, count"
                         " HAVING min(received_ms) <= ?1",
                         "close incomplete");
        groups.number(1, now_ms - wait_ms);
        QList<Message> late;
        QList<QPair<int, int>> keys;  // reference, count
        while (groups.next()) {
            Message m;
            m.line = column_text(groups.get(), 0);
            m.number = column_text(groups.get(), 1);
            keys.append({sqlite3_column_int(groups.get(), 2), sqlite3_column_int(groups.get(), 3)});
            m.received_ms = sqlite3_column_int64(groups.get(), 4);
            m.sent_ms = sqlite3_column_int64(groups.get(), 5);
            m.model = column_text(groups.get(), 6);
            m.parts = keys.last().second;
            m.state = State::Incomplete;
            late.append(m);
        }
        if (!groups.ok())
            return false;
        for (qsizetype i = 0; i < late.size(); ++i) {
            Statement parts(db_,
                            "SELECT sequence, text FROM message_parts WHERE message_id IS NULL AND line = ?1"
                            " AND number = ?2 AND reference = ?3 AND count = ?4 ORDER BY sequence",
                            "close incomplete");
            parts.text(1, late[i].line).text(2, late[i].number).number(3, keys[i].first).number(4, keys[i].second);
            QStringList present;
            int expected = 1;
            while (parts.next()) {
                const int sequence = sqlite3_column_int(parts.get(), 0);
                if (sequence > expected)
                    late[i].text += QString::fromUtf8(ellipsis);
                late[i].text += column_text(parts.get(), 1);
                present.append(QString::number(sequence));
                expected = sequence + 1;
            }
            if (expected <= keys[i].second)
                late[i].text += QString::fromUtf8(ellipsis);
            late[i].reason = QStringLiteral("Получены части %1 из %2").arg(present.join(QStringLiteral(", "))).arg(keys[i].second);
            Statement done(db_,
                           "DELETE FROM message_parts WHERE message_id IS NULL AND line = ?1 AND number = ?2"
                           " AND reference = ?3 AND count = ?4",
                           "close incomplete");
            if (!parts.ok() || !insert_message(late[i])
                || !done.text(1, late[i].line).text(2, late[i].number).number(3, keys[i].first)
                        .number(4, keys[i].second).run())
                return false;
            ++closed;
        }
        return true;
    });
    return ok ? closed : -1;
}

QList<Conversation> MessageStore::conversations()
{
    // The newest message of each conversation through the index alone
    // (SQLite keeps the row of max() as the bare columns), then its row
    // and the unread count through the partial index.
    Statement rows(db_,
                   "SELECT m.conversation, m.number, m.text, m.received_ms, m.direction, m.state,"
                   " (SELECT count(*) FROM messages u WHERE u.conversation = m.conversation AND u.state = 'received')"
                   " FROM (SELECT max(received_ms) AS newest, id FROM messages GROUP BY conversation) AS last"
                   " JOIN messages m ON m.id = last.id ORDER BY m.received_ms DESC, m.id DESC",
                   "conversations");
    QList<Conversation> list;
    while (rows.next()) {
        Conversation c;
        c.key = column_text(rows.get(), 0);
        c.number = column_text(rows.get(), 1);
        c.last_text = column_text(rows.get(), 2);
        c.last_ms = sqlite3_column_int64(rows.get(), 3);
        c.last_direction = column_text(rows.get(), 4) == QLatin1String("out") ? Direction::Out : Direction::In;
        state_from_text(column_text(rows.get(), 5), c.last_state);
        c.unread = sqlite3_column_int(rows.get(), 6);
        list.append(c);
    }
    return list;
}

QList<Message> MessageStore::conversation(const QString& number, int limit)
{
    // The newest `limit`, shown oldest first.
    Statement rows(db_,
                   "SELECT * FROM (SELECT id, line, model, direction, number, text, sent_ms, received_ms, parts,"
                   " state, reason FROM messages WHERE conversation = ?1 ORDER BY received_ms DESC, id DESC"
                   " LIMIT ?2) ORDER BY received_ms, id",
                   "conversation");
    rows.text(1, conversation_key(number)).number(2, limit);
    QList<Message> list;
    while (rows.next())
        list.append(read_message(rows.get()));
    return list;
}

QList<Message> MessageStore::fetch(const ListFilter& filter)
{
    Statement rows(db_,
                   "SELECT id, line, model, direction, number, text, sent_ms, received_ms, parts, state, reason"
                   " FROM messages WHERE (?1 = '' OR conversation = ?1) AND (?2 = 0 OR state = 'received')"
                   " AND received_ms >= ?3 ORDER BY received_ms DESC, id DESC",
                   "list");
    rows.text(1, filter.number.isEmpty() ? QString() : conversation_key(filter.number))
        .number(2, filter.unread_only).number(3, filter.since_ms);
    QList<Message> list;
    while (rows.next())
        list.append(read_message(rows.get()));
    return list;
}

int MessageStore::unread_total()
{
    Statement count(db_, "SELECT count(*) FROM messages WHERE state = 'received'", "unread");
    return count.next() ? sqlite3_column_int(count.get(), 0) : -1;
}

Message MessageStore::newest_unread(const QString& number)
{
    Statement row(db_,
                  "SELECT id, line, model, direction, number, text, sent_ms, received_ms, parts, state, reason"
                  " FROM messages WHERE conversation = ?1 AND state = 'received'"
                  " ORDER BY received_ms DESC, id DESC LIMIT 1",
                  "newest unread");
    row.text(1, conversation_key(number));
    return row.next() ? read_message(row.get()) : Message();
}

QStringList MessageStore::matching_conversations(const QString& text, const QString& digits)
{
    // LIKE folds ASCII letters only; a Cyrillic word is mostly typed in
    // lower case or starts a sentence, so those two forms are tried too.
    QString pattern = text;
    pattern.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('%'), QStringLiteral("\\%"))
        .replace(QLatin1Char('_'), QStringLiteral("\\_"));
    const QString lower = text.toLower();
    const QString capital = lower.isEmpty() ? lower : lower.left(1).toUpper() + lower.mid(1);
    Statement rows(db_,
                   "SELECT DISTINCT conversation FROM messages WHERE (?1 <> '' AND (text LIKE '%' || ?1 || '%'"
                   " ESCAPE '\\' OR instr(text, ?2) > 0 OR instr(text, ?3) > 0 OR instr(text, ?5) > 0))"
                   " OR (?4 <> '' AND instr(number, ?4) > 0)",
                   "search");
    rows.text(1, pattern).text(2, lower).text(3, capital).text(4, digits).text(5, text);
    QStringList keys;
    while (rows.next())
        keys.append(column_text(rows.get(), 0));
    return keys;
}

bool MessageStore::mark_read(const QString& number)
{
    return Statement(db_, "UPDATE messages SET state = 'read' WHERE conversation = ?1 AND state = 'received'",
                     "mark read")
        .text(1, conversation_key(number))
        .run();
}

bool MessageStore::remove(qint64 id)
{
    return transaction("remove", [&] {
        return Statement(db_, "DELETE FROM message_parts WHERE message_id = ?1", "remove").number(1, id).run()
            && Statement(db_, "DELETE FROM messages WHERE id = ?1", "remove").number(1, id).run();
    });
}

int MessageStore::remove_conversation(const QString& number)
{
    int removed = 0;
    const QString key = conversation_key(number);
    const bool ok = transaction("remove conversation", [&] {
        if (!Statement(db_,
                       "DELETE FROM message_parts WHERE message_id IN (SELECT id FROM messages WHERE conversation = ?1)",
                       "remove conversation")
                 .text(1, key).run()
            || !Statement(db_, "DELETE FROM messages WHERE conversation = ?1", "remove conversation").text(1, key).run())
            return false;
        removed = sqlite3_changes(db_.handle());
        return true;
    });
    return ok ? removed : -1;
}

Message MessageStore::message(qint64 id)
{
    Statement row(db_,
                  "SELECT id, line, model, direction, number, text, sent_ms, received_ms, parts, state, reason"
                  " FROM messages WHERE id = ?1",
                  "message");
    row.number(1, id);
    return row.next() ? read_message(row.get()) : Message();
}

qint64 MessageStore::queue(const QString& line, const QString& number, const QString& text, qint64 now_ms)
{
    Message message;
    message.line = line;
    message.direction = Direction::Out;
    message.number = number;
    message.text = text;
    message.received_ms = now_ms;
    message.state = State::Queued;
    return insert_message(message);
}

bool MessageStore::resend(qint64 id, qint64 now_ms)
{
    return transaction("resend", [&] {
        return Statement(db_, "DELETE FROM message_parts WHERE message_id = ?1", "resend").number(1, id).run()
            && Statement(db_,
                         "UPDATE messages SET state = 'queued', reason = '', received_ms = ?2"
                         " WHERE id = ?1 AND direction = 'out' AND state = 'failed'",
                         "resend")
                   .number(1, id).number(2, now_ms).run()
            && sqlite3_changes(db_.handle()) == 1;
    });
}

bool MessageStore::withdraw(qint64 id)
{
    return Statement(db_, "DELETE FROM messages WHERE id = ?1 AND state = 'queued'", "withdraw").number(1, id).run()
        && sqlite3_changes(db_.handle()) == 1;
}

QList<Message> MessageStore::queued(const QString& line)
{
    Statement rows(db_,
                   "SELECT id, line, model, direction, number, text, sent_ms, received_ms, parts, state, reason"
                   " FROM messages WHERE line = ?1 AND state = 'queued' ORDER BY received_ms, id",
                   "queue");
    rows.text(1, line);
    QList<Message> list;
    while (rows.next())
        list.append(read_message(rows.get()));
    return list;
}

bool MessageStore::set_state(qint64 id, State state, const QString& reason)
{
    return Statement(db_, "UPDATE messages SET state = ?2, reason = ?3 WHERE id = ?1", "state")
        .number(1, id).text(2, state_text(state)).text(3, reason).run();
}

bool MessageStore::set_model(qint64 id, const QString& model)
{
    return Statement(db_, "UPDATE messages SET model = ?2 WHERE id = ?1", "model").number(1, id).text(2, model).run();
}

bool MessageStore::part_sent(qint64 id, const QString& line, int sequence, int tp_mr)
{
    return transaction("part sent", [&] {
        return Statement(db_,
                         "INSERT INTO message_parts (message_id, line, sequence, tp_mr) VALUES (?1, ?2, ?3, ?4)",
                         "part sent")
                   .number(1, id).text(2, line).number(3, sequence).number(4, tp_mr).run()
            && Statement(db_, "UPDATE messages SET parts = max(parts, ?2) WHERE id = ?1", "part sent")
                   .number(1, id).number(2, sequence).run();
    });
}

qint64 MessageStore::report(const QString& line, int tp_mr, bool delivered, const QString& reason)
{
    qint64 id = 0;
    const bool ok = transaction("status report", [&] {
        Statement part(db_,
                       "SELECT id, message_id FROM message_parts WHERE message_id IS NOT NULL AND line = ?1"
                       " AND tp_mr = ?2 ORDER BY id DESC LIMIT 1",
                       "status report");
        part.text(1, line).number(2, tp_mr);
        if (!part.next())
            return part.ok();
        const qint64 part_id = sqlite3_column_int64(part.get(), 0);
        id = sqlite3_column_int64(part.get(), 1);
        if (!Statement(db_, "UPDATE message_parts SET outcome = ?2 WHERE id = ?1", "status report")
                 .number(1, part_id).text(2, delivered ? QStringLiteral("delivered") : QStringLiteral("failed"))
                 .run())
            return false;
        // Failed as soon as one part failed; delivered once every part of a
        // sent message is.
        if (!delivered)
            return Statement(db_, "UPDATE messages SET state = 'failed', reason = ?2 WHERE id = ?1", "status report")
                .number(1, id).text(2, reason).run();
        return Statement(db_,
                         "UPDATE messages SET state = 'delivered' WHERE id = ?1 AND state = 'sent' AND parts ="
                         " (SELECT count(*) FROM message_parts WHERE message_id = ?1 AND outcome = 'delivered')",
                         "status report")
            .number(1, id).run();
    });
    return ok ? id : 0;
}

int MessageStore::interrupt_sending(const QString& line)
{
    Statement update(db_,
                     "UPDATE messages SET state = 'failed', reason = 'Отправка прервана' WHERE line = ?1"
                     " AND state = 'sending'",
                     "interrupt");
    return update.text(1, line).run() ? sqlite3_changes(db_.handle()) : -1;
}

int MessageStore::remove_older_than_days(int days, qint64 now_ms)
{
    if (days <= 0)
        return 0;
    const qint64 before = now_ms - qint64(days) * 24 * 3600 * 1000;
    int removed = 0;
    const bool ok = transaction("retention", [&] {
        if (!Statement(db_,
                       "DELETE FROM message_parts WHERE message_id IN (SELECT id FROM messages WHERE received_ms < ?1"
                       " AND state NOT IN ('queued', 'sending'))",
                       "retention")
                 .number(1, before).run())
            return false;
        if (!Statement(db_, "DELETE FROM messages WHERE received_ms < ?1 AND state NOT IN ('queued', 'sending')",
                       "retention")
                 .number(1, before).run())
            return false;
        removed = sqlite3_changes(db_.handle());
        return Statement(db_, "DELETE FROM message_seen WHERE seen_ms < ?1", "retention").number(1, before).run();
    });
    return ok ? removed : -1;
}

int MessageStore::count_older_than_days(int days, qint64 now_ms)
{
    if (days <= 0)
        return 0;
    Statement count(db_, "SELECT count(*) FROM messages WHERE received_ms < ?1 AND state NOT IN ('queued', 'sending')",
                    "retention");
    count.number(1, now_ms - qint64(days) * 24 * 3600 * 1000);
    return count.next() ? sqlite3_column_int(count.get(), 0) : -1;
}

qint64 MessageStore::data_version()
{
    Statement version(db_, "PRAGMA data_version", "data version");
    return version.next() ? sqlite3_column_int64(version.get(), 0) : -1;
}

}  // namespace messages
