#include "tests/journal/journal_test_util.h"

#include <QtGlobal>

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
