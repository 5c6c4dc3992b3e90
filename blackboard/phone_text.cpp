#include "blackboard/phone_text.h"

#include <QRegularExpression>
#include <QStringView>
#include <algorithm>
#include <cmath>
#include <limits>

namespace blackboard {

namespace {

// What is passed over before a number.
enum class Lead { Nothing, Spaces, WhiteSpace };

bool passes_over(QChar c, Lead lead)
{
    switch (lead) {
    case Lead::Nothing:
        return false;
    case Lead::Spaces:
        return c == u' ';
    case Lead::WhiteSpace:
        return c.isSpace();
    }
    return false;
}

bool is_digit(QChar c) { return c >= u'0' && c <= u'9'; }

// The text of the leading number: a sign, digits and, with `fraction`, a
// point and digits; at least one digit. Empty when there is none.
QStringView number_text(QStringView text, Lead lead, bool fraction)
{
    qsizetype pos = 0;
    while (pos < text.size() && passes_over(text[pos], lead))
        ++pos;
    const qsizetype start = pos;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-'))
        ++pos;
    bool has_digits = false;
    const auto skip_digits = [&] {
        for (; pos < text.size() && is_digit(text[pos]); ++pos)
            has_digits = true;
    };
    skip_digits();
    if (fraction && pos < text.size() && text[pos] == u'.') {
        ++pos;
        skip_digits();
    }
    return has_digits ? text.mid(start, pos - start) : QStringView();
}

// The value of a number text; an overflow gives an infinity, which every
// reader below brings into its range.
double value_of(QStringView number) { return number.isEmpty() ? 0.0 : number.toDouble(); }

// Ties go to the even integer, whatever rounding mode the process runs in;
// values beyond int saturate.
int round_half_even(double value)
{
    constexpr double kIntMax = std::numeric_limits<int>::max();
    constexpr double kIntMin = std::numeric_limits<int>::min();
    if (value >= kIntMax)
        return std::numeric_limits<int>::max();
    if (value <= kIntMin)
        return std::numeric_limits<int>::min();
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double rounded = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0))
        rounded = lower + 1.0;
    return static_cast<int>(rounded);
}

}  // namespace

int leading_integer(const QString& text)
{
    // The magnitude saturates, then takes its sign: a negative number is no
    // known state either way.
    const double value = value_of(number_text(text, Lead::WhiteSpace, false));
    const double limit = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(value, -limit, limit));
}

qint16 leading_number16(const QString& text)
{
    const int rounded = round_half_even(value_of(number_text(text, Lead::Spaces, true)));
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return 0;
    return static_cast<qint16>(rounded);
}

int read_rule_number(const QString& text)
{
    return round_half_even(value_of(number_text(text, Lead::Nothing, true)));
}

QString dialable_number(const QString& number)
{
    QString result;
    result.reserve(number.size());
    for (const QChar c : number)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f)
            result.append(c);
    return result;
}

QString dial_command(const QString& verb, const QString& number, const QString& line_end)
{
    return verb + dialable_number(number).remove(u';') + u';' + line_end;
}

QString text_from_phone(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        const bool control = code < 0x20 || (code >= 0x7f && code <= 0x9f);
        if (!control || code == u'\n' || code == u'\r' || code == u'\t')
            kept.append(c);
    }
    return kept;
}

QString trim_spaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

const QStringList& model_commands()
{
    static const QStringList commands{QStringLiteral("AT+GMM"), QStringLiteral("AT+CGMM"), QStringLiteral("ATI")};
    return commands;
}

QString model_reply_text(const QString& reply, const QString& command)
{
    QString text = text_from_phone(reply);
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ');
    if (command == QLatin1String("ATI")) {
        // Free text: "OK" inside a word ("NOKIA") is part of the model.
        static const QRegularExpression echo_and_ok(QStringLiteral("(?<![^ \n])(ATI|OK)(?![^ \n])"));
        return text.remove(echo_and_ok);
    }
    text.remove(command);
    text.remove(QStringLiteral("OK"));
    if (command != QLatin1String("AT+GMM"))
        text.remove(command.mid(2));  // "+CGMM"
    text.remove(QStringLiteral("+GMM"));
    text.remove(u':');
    return text;
}

QString clean_model_reply(const QString& reply, const QString& command)
{
    return trim_spaces(model_reply_text(reply, command));
}

QString ask_for_model(const std::function<QString(const QString& command)>& ask)
{
    QString model;
    for (const QString& command : model_commands()) {
        model = ask(command);
        if (model != QLatin1String("ERROR"))
            break;
    }
    return model;
}

}  // namespace blackboard
