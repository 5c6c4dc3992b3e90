#include "dialer/main_window/talk_times.h"

#include <QStringList>

namespace main_window {

QString with_talk_times(const QString& display_text, QList<journal::CallRecord> open_calls, qint64 now_ms)
{
    const QString line_end = QStringLiteral("\r\n");
    QStringList lines = display_text.split(line_end);
    for (QString& line : lines) {
        for (qsizetype i = 0; i < open_calls.size(); ++i) {
            const journal::CallRecord& call = open_calls[i];
            if (call.answer_ms <= 0 || call.number.isEmpty() || !line.endsWith(QLatin1Char(' ') + call.number))
                continue;
            const qint64 seconds = now_ms > call.answer_ms ? (now_ms - call.answer_ms) / 1000 : 0;
            line += QStringLiteral("  ") + journal::duration_label(seconds);
            open_calls.removeAt(i);
            break;
        }
    }
    return lines.join(line_end);
}

}  // namespace main_window
