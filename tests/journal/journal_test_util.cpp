#include "tests/journal/journal_test_util.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtGlobal>

#include <sqlite3.h>

#include "journal/journal.h"

namespace journal_test {

QString clcc(const QList<Listed>& calls)
{
    QString reply;
    for (const Listed& call : calls)
        reply += QStringLiteral("+CLCC: %1,%2,%3,0,%4,\"%5\",129 ")
                     .arg(call.index)
                     .arg(call.direction)
                     .arg(call.state)
                     .arg(call.multiparty ? 1 : 0)
                     .arg(call.number);
    return reply + QStringLiteral("OK");
}

QString brief(const journal::CallRecord& record, qint64 epoch_ms)
{
    auto seconds = [&](qint64 ms) { return ms == 0 ? QStringLiteral("-") : QString::number((ms - epoch_ms) / 1000); };
    const QString outcome =
        record.outcome == journal::Outcome::Open ? QStringLiteral("open") : journal::outcome_text(record.outcome);
    return QStringLiteral("%1 %2 %3 %4 %5-%6-%7")
        .arg(record.line, journal::direction_text(record.direction),
             record.number.isEmpty() ? QStringLiteral("(withheld)") : record.number,
             outcome.isEmpty() ? QStringLiteral("unknown") : outcome, seconds(record.start_ms),
             seconds(record.answer_ms), seconds(record.end_ms));
}

QStringList briefs(const QList<journal::CallRecord>& records, qint64 epoch_ms)
{
    QStringList list;
    for (const journal::CallRecord& record : records)
        list << brief(record, epoch_ms);
    return list;
}

bool run_sql(const QString& path, const char* script)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    const bool ok = sqlite3_exec(db, script, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

QString sql_value(const QString& path, const char* query)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    QString result;
    if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

void write_damaged_journal(const QString& path, int calls, int bytes)
{
    {
        journal::Journal journal(path);
        const qint64 start = 1714550400000;
        for (int i = 0; i < calls; ++i) {
            const qint64 id = journal.call_started("1", "SIMPHONE", journal::Direction::In,
                                                   QStringLiteral("0671%1").arg(i, 6, 10, QLatin1Char('0')),
                                                   start + i * 60000);
            journal.call_ended(id, start + i * 60000 + 20000, journal::Outcome::Missed);
        }
    }
    // Closing the last connection wrote the -wal into the file; out of WAL
    // mode, as a copy or a restore leaves it, so that even a reader's
    // switch back would show as a change of the file.
    run_sql(path, "PRAGMA journal_mode=DELETE");
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    QByteArray noise(bytes, '\0');
    QRandomGenerator generator(23);
    for (char& byte : noise)
        byte = char(generator.bounded(256));
    file.seek(file.size() / 2);
    file.write(noise);
}

namespace {

QStringList warnings;
QtMessageHandler previous_handler = nullptr;

void count_journal_warnings(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "vekorra.journal") == 0)
        warnings << text;
    previous_handler(type, context, text);
}

}  // namespace

JournalWarnings::JournalWarnings()
{
    warnings.clear();
    previous_handler = qInstallMessageHandler(count_journal_warnings);
}

JournalWarnings::~JournalWarnings() { qInstallMessageHandler(previous_handler); }

int JournalWarnings::count() const { return int(warnings.size()); }

QStringList JournalWarnings::texts() const { return warnings; }

}  // namespace journal_test
