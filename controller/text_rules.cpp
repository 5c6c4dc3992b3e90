#include "controller/text_rules.h"

#include <cmath>
#include <limits>

namespace kestrum {

qint16 leading_number16(const QString& text)
{
    int pos = 0;
    while (pos < text.size() && text.at(pos) == QLatin1Char(' '))
        ++pos;
    const int start = pos;
    if (pos < text.size() && (text.at(pos) == QLatin1Char('-') || text.at(pos) == QLatin1Char('+')))
        ++pos;
    const int digits_start = pos;
    while (pos < text.size() && text.at(pos).isDigit() && text.at(pos).unicode() < 128)
        ++pos;
    bool has_digits = pos > digits_start;
    if (pos < text.size() && text.at(pos) == QLatin1Char('.')) {
        const int fraction_start = ++pos;
        while (pos < text.size() && text.at(pos).isDigit() && text.at(pos).unicode() < 128)
            ++pos;
        has_digits = has_digits || pos > fraction_start;
    }
    if (!has_digits)
        return 0;
    bool ok = false;
    const double value = text.mid(start, pos - start).toDouble(&ok);
    if (!ok)
        return 0;
    // nearbyint rounds in the default mode: to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return 0;
    return static_cast<qint16>(rounded);
}

QString dialable_number(const QString& number)
{
    QString result;
    result.reserve(number.size());
    for (const QChar c : number) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            continue;
        result.append(c);
    }
    return result;
}

QString dial_command(const QString& verb, const QString& number)
{
    return verb + dialable_number(number).remove(QLatin1Char(';')) + QStringLiteral(";\r\n");
}

QString trim_spaces(const QString& text)
{
    int first = 0;
    int last = text.size() - 1;
    while (first <= last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last >= first && text.at(last) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first + 1);
}

QString normalise_reply(const QString& raw, const QString& command)
{
    const QString space = QStringLiteral(" ");
    QString reply = raw;
    reply.replace(QLatin1Char('\r'), space);
    reply.replace(QStringLiteral("\r\n"), space);
    if (!command.isEmpty())
        reply.replace(command, QString());
    reply.replace(QStringLiteral("\r\n"), space);
    reply.remove(QChar(8));
    reply.replace(QLatin1Char('\n'), space);
    reply.remove(QChar(0));
    reply.replace(QLatin1Char('\t'), space);
    reply.remove(QChar(11));
    reply.replace(QStringLiteral("   "), space);
    reply.replace(QStringLiteral("  "), space);
    return trim_spaces(reply);
}

}  // namespace kestrum
