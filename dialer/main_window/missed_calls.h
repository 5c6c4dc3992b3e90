#pragma once
#include <QList>
#include <QSet>

#include "dialer/main_window/call_notifier.h"

namespace journal {
class Journal;
}

namespace main_window {

// The missed calls the journal decided since the dialer started, each handed
// out once. The journal is the one place that tells a missed call from one
// answered, declined or cut off, so the dialer asks it rather than guessing
// from the phones' texts. Calls that ended before the start are old news.
class MissedCallWatch {
public:
    MissedCallWatch(journal::Journal& journal, qint64 started_ms);

    // The missed calls that ended since the last look, oldest first.
    QList<MissedCall> new_missed_calls();

private:
    journal::Journal& journal_;
    qint64 started_ms_;
    QSet<qint64> seen_ids_;
};

}  // namespace main_window
