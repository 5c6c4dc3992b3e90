#pragma once
#include <QList>
#include <QString>

#include "journal/call_record.h"

namespace main_window {

// The phone display's call list with the talk time of each call going on
// after its number ("Активный 0501234567  1:05"): the journal's open,
// answered calls of the line, matched by number, each to one line.
QString with_talk_times(const QString& display_text, QList<journal::CallRecord> open_calls, qint64 now_ms);

}  // namespace main_window
