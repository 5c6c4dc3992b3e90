#pragma once
#include <QDateTime>
#include <QString>

// One call as the journal keeps it. Times are milliseconds since the epoch
// (UTC); 0 means "not yet" or "never".
namespace journal {

enum class Direction { In, Out };

// How a call ended. Open: not ended yet. Unknown: a phone without a call
// list dialled, and nothing on the line told how the call went.
enum class Outcome { Open, Answered, Missed, Rejected, Unanswered, HandedOver, Interrupted, Unknown };

struct CallRecord {
    qint64 id = 0;
    QString line;   // "1" to "4", "skype", "sip"
    QString model;  // the phone's model at the time
    Direction direction = Direction::In;
    QString number;  // as the phone listed it; "" for a withheld caller
    qint64 start_ms = 0;
    qint64 answer_ms = 0;
    qint64 end_ms = 0;
    qint64 last_seen_ms = 0;
    Outcome outcome = Outcome::Open;

    // Answer to end in whole seconds; 0 when never answered or not ended.
    qint64 talk_seconds() const;
};

// The stored spellings: "in"/"out"; "answered", "missed", "rejected",
// "unanswered", "handed-over", "interrupted", "" (unknown); NULL while open.
QString direction_text(Direction direction);
Direction direction_from_text(const QString& text);
QString outcome_text(Outcome outcome);
Outcome outcome_from_text(const QString& text, bool is_null);

// The texts of the main window's table, in the running language.
QString line_label(const QString& line);
QString direction_label(Direction direction);
QString outcome_label(Outcome outcome);
QString duration_label(qint64 seconds);
// The start of a call: 01.05.2024 14:03:07 as the Russian windows write it,
// or as the default locale writes it when that is an English one.
QString time_label(qint64 ms);

// ISO 8601 local time with the offset from UTC: 2024-05-01T14:03:07+03:00.
QString local_iso_time(qint64 ms);
// Local midnight at the start of the date, in ms since the epoch.
qint64 local_day_start_ms(const QDate& date);

}  // namespace journal
