#include "tests/journal/journal_watch.h"

#include <QDebug>
#include <algorithm>

#include "journal/journal.h"
#include "tests/support/test_env.h"

namespace journal_watch {

QStringList calls()
{
    journal::Journal journal;
    QList<journal::CallRecord> records = journal.fetch_all({});
    std::reverse(records.begin(), records.end());
    QStringList lines;
    for (const journal::CallRecord& call : records) {
        QString outcome = journal::outcome_text(call.outcome);
        if (call.outcome == journal::Outcome::Open)
            outcome = call.answer_ms != 0 ? QStringLiteral("talking") : QStringLiteral("open");
        lines << QStringList{call.line, journal::direction_text(call.direction), call.number, outcome}.join(' ');
    }
    return lines;
}

bool wait_for_call(const QString& line, int timeout_ms)
{
    if (wait_until([&] { return calls().contains(line); }, timeout_ms))
        return true;
    qWarning().noquote() << "journal has no" << line << "but:" << calls().join(QStringLiteral(" | "));
    return false;
}

}  // namespace journal_watch
