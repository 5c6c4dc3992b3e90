#include "message_fill.h"

#include <QByteArray>
#include <QFile>
#include <sqlite3.h>

#include "messages/message_store.h"

namespace bench {

void fill_messages(const QString& journal_path, int count, int conversations, int long_conversation)
{
    // The store makes the schema; its one queued message goes again.
    messages::MessageStore(journal_path).queue(QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("x"), 0);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(journal_path).constData(), &db);
    sqlite3_exec(db, "DELETE FROM messages; BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO messages (line, direction, number, conversation, text, received_ms, state)"
                       " VALUES ('1', ?1, ?2, ?3, ?4, ?5, ?6)",
                       -1, &insert, nullptr);
    const qint64 start_ms = 1733817600000;
    for (int i = 0; i < count; ++i) {
        const QByteArray number = i < long_conversation ? QByteArray("+380670000000")
                                                        : "+38067" + QByteArray::number(1000000 + i % conversations);
        const QByteArray text = "Сообщение номер " + QByteArray::number(i) + " с обычным текстом, как пишут люди";
        sqlite3_bind_text(insert, 1, i % 3 ? "in" : "out", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, number.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, number.right(10).constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, text.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 5, start_ms + qint64(i) * 60000);
        sqlite3_bind_text(insert, 6, i % 3 ? (i % 7 ? "read" : "received") : "delivered", -1, SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

}  // namespace bench
