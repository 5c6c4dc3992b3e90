#pragma once
#include <QList>
#include <QString>
#include <QStringList>

#include "journal/call_record.h"

namespace journal_test {

// One "+CLCC:" entry: index, direction (0 out, 1 in), state, number.
struct Listed {
    int index;
    int direction;
    int state;
    QString number;
    bool multiparty = false;
};

// A call-list reply as a phone gives it, ending in "OK".
QString clcc(const QList<Listed>& calls);

// A record in short: "line dir number outcome start-answer-end" with times
// in seconds since the test's epoch, answer "-" when never answered, end
// "-" while open. Easy to compare as a whole.
QString brief(const journal::CallRecord& record, qint64 epoch_ms);
QStringList briefs(const QList<journal::CallRecord>& records, qint64 epoch_ms);

// Counts the warnings of the "vekorra.journal" category while it lives.
class JournalWarnings {
public:
    JournalWarnings();
    ~JournalWarnings();
    int count() const;
    QStringList texts() const;
};

}  // namespace journal_test
