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

// Another program's connection to a journal file: runs a script, or gives
// the first column of a query's first row ("" when none).
bool run_sql(const QString& path, const char* script);
QString sql_value(const QString& path, const char* query);

// A journal of `calls` ended calls, then `bytes` overwritten with noise in
// the middle of its file, as a failing disk leaves it.
void write_damaged_journal(const QString& path, int calls, int bytes);

// Counts the warnings of the "vekorra.journal" category while it lives.
class JournalWarnings {
public:
    JournalWarnings();
    ~JournalWarnings();
    int count() const;
    QStringList texts() const;
};

}  // namespace journal_test
