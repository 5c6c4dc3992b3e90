#include "journal/call_record.h"

#include <QTimeZone>

namespace journal {

qint64 CallRecord::talk_seconds() const
{
    if (answer_ms <= 0 || end_ms < answer_ms)
        return 0;
    return (end_ms - answer_ms) / 1000;
}

QString direction_text(Direction direction)
{
    return direction == Direction::In ? QStringLiteral("in") : QStringLiteral("out");
}

Direction direction_from_text(const QString& text)
{
    return text == QLatin1String("out") ? Direction::Out : Direction::In;
}

namespace {

struct OutcomeSpelling {
    Outcome outcome;
    const char* stored;
    const char* label;
};

const OutcomeSpelling outcome_spellings[] = {
    {Outcome::Answered, "answered", "Отвечен"},       {Outcome::Missed, "missed", "Пропущен"},
    {Outcome::Rejected, "rejected", "Отклонён"},      {Outcome::Unanswered, "unanswered", "Без ответа"},
    {Outcome::HandedOver, "handed-over", "Передан"},  {Outcome::Interrupted, "interrupted", "Прерван"},
    {Outcome::Unknown, "", "Неизвестно"},
};

}  // namespace

QString outcome_text(Outcome outcome)
{
    for (const OutcomeSpelling& spelling : outcome_spellings)
        if (spelling.outcome == outcome)
            return QString::fromLatin1(spelling.stored);
    return QString();  // open: stored as NULL
}

Outcome outcome_from_text(const QString& text, bool is_null)
{
    if (is_null)
        return Outcome::Open;
    for (const OutcomeSpelling& spelling : outcome_spellings)
        if (text == QLatin1String(spelling.stored))
            return spelling.outcome;
    return Outcome::Unknown;
}

QString outcome_label(Outcome outcome)
{
    for (const OutcomeSpelling& spelling : outcome_spellings)
        if (spelling.outcome == outcome)
            return QString::fromUtf8(spelling.label);
    return QStringLiteral("Идёт");
}

QString line_label(const QString& line)
{
    if (line == QLatin1String("skype"))
        return QStringLiteral("Skype");
    if (line == QLatin1String("sip"))
        return QStringLiteral("SIP");
    return QStringLiteral("Телефон %1").arg(line);
}

QString direction_label(Direction direction)
{
    return direction == Direction::In ? QStringLiteral("Входящий") : QStringLiteral("Исходящий");
}

QString duration_label(qint64 seconds)
{
    const qint64 minutes = seconds / 60;
    return QStringLiteral("%1:%2").arg(minutes).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString local_iso_time(qint64 ms)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    // A local QDateTime prints without its offset; one with a fixed offset
    // prints it.
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

qint64 local_day_start_ms(const QDate& date)
{
    return date.startOfDay().toMSecsSinceEpoch();
}

}  // namespace journal
