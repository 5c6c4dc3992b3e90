#include "journal/call_record.h"

#include <QCoreApplication>
#include <QLocale>
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

struct Text {
    Q_DECLARE_TR_FUNCTIONS(CallRecord)
};

struct OutcomeSpelling {
    Outcome outcome;
    const char* stored;
    const char* label;
};

const OutcomeSpelling outcome_spellings[] = {
    {Outcome::Answered, "answered", QT_TRANSLATE_NOOP("CallRecord", "Отвечен")},
    {Outcome::Missed, "missed", QT_TRANSLATE_NOOP("CallRecord", "Пропущен")},
    {Outcome::Rejected, "rejected", QT_TRANSLATE_NOOP("CallRecord", "Отклонён")},
    {Outcome::Unanswered, "unanswered", QT_TRANSLATE_NOOP("CallRecord", "Без ответа")},
    {Outcome::HandedOver, "handed-over", QT_TRANSLATE_NOOP("CallRecord", "Передан")},
    {Outcome::Interrupted, "interrupted", QT_TRANSLATE_NOOP("CallRecord", "Прерван")},
    {Outcome::Unknown, "", QT_TRANSLATE_NOOP("CallRecord", "Неизвестно")},
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
            return Text::tr(spelling.label);
    return Text::tr("Идёт");
}

QString line_label(const QString& line)
{
    if (line == QLatin1String("skype"))
        return QStringLiteral("Skype");
    if (line == QLatin1String("sip"))
        return QStringLiteral("SIP");
    return Text::tr("Телефон %1").arg(line);
}

QString direction_label(Direction direction)
{
    return direction == Direction::In ? Text::tr("Входящий") : Text::tr("Исходящий");
}

QString time_label(qint64 ms)
{
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(ms);
    const QLocale locale;
    if (locale.language() != QLocale::English)
        return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    // The English locale's own order of day, month and year (en_US, en_GB),
    // with a full year, and its clock with seconds but without the zone.
    QString date_format = locale.dateFormat(QLocale::ShortFormat);
    if (!date_format.contains(QLatin1String("yyyy")))
        date_format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    const QString time_format = locale.timeFormat(QLocale::LongFormat).remove(QLatin1Char('t')).trimmed();
    return locale.toString(time, date_format + QLatin1Char(' ') + time_format);
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
