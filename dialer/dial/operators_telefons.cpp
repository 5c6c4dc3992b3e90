#include "dialer/dial/operators_telefons.h"

#include <utility>

#include "dialer/dial/reestr.h"

namespace Operators_telefons {

namespace {

bool is_number_character(QChar c)
{
    return c == QLatin1Char('^') || c == QLatin1Char('+') ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

}  // namespace

QString clean_number(QString& text)
{
    text.replace(QStringLiteral("+3800"), QStringLiteral("+380"));
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : std::as_const(text)) {
        if (is_number_character(c))
            clean.append(c);
    }
    return clean.isEmpty() ? kNoNumber : clean;
}

QString clean_copy(const QString& text)
{
    QString copy = text;
    return clean_number(copy);
}

QString mark_separators(const QString& text)
{
    static const std::array<std::pair<QString, QString>, 8> kReplacements{{
        {QStringLiteral(","), kSeparatorMark},
        {QStringLiteral("."), kSeparatorMark},
        {QStringLiteral(";"), kSeparatorMark},
        {QStringLiteral("/"), kSeparatorMark},
        {QStringLiteral("\\"), kSeparatorMark},
        {QStringLiteral("+38"), kSeparatorMark + QStringLiteral("+38")},
        {QStringLiteral(" 38"), kSeparatorMark + QStringLiteral("38")},
        {QStringLiteral(" 0"), kSeparatorMark + QStringLiteral("0")},
    }};
    QString marked = text;
    for (const auto& [from, to] : kReplacements)
        marked.replace(from, to);
    return marked;
}

QStringList candidate_numbers(const QString& text)
{
    QStringList candidates;
    const QStringList pieces = mark_separators(text).split(kSeparatorMark, Qt::KeepEmptyParts);
    for (const QString& piece : pieces) {
        const QString clean = clean_copy(piece);
        if (clean != kNoNumber && clean.size() > 4)
            candidates.append(clean);
    }
    return candidates;
}

void complete_local_number(QString& number)
{
    // With codes of other lengths than the defaults one completion can make
    // the number match the next test, so each test sees the previous result.
    if (clean_number(number).size() == 5)
        number.prepend(Reestr::kod5());
    if (clean_number(number).size() == 6)
        number.prepend(Reestr::kod4());
    if (clean_number(number).size() == 7)
        number.prepend(Reestr::kod3());
}

void prepare_for_dialling(QString& number)
{
    number = clean_number(number);
    number.remove(QLatin1Char('^'));
    // 8 0XX XXX XX XX is the old trunk form of a national number.
    if (number.size() == 11 && number.startsWith(QLatin1Char('8')))
        number = number.right(10);
}

QString operator_class_key(OperatorClass operator_class)
{
    namespace key = blackboard::key;
    switch (operator_class) {
    case OperatorClass::MTS: return key::MTS;
    case OperatorClass::KS: return key::KS;
    case OperatorClass::LF: return key::LF;
    case OperatorClass::BE: return key::BE;
    case OperatorClass::GOR: return key::GOR;
    case OperatorClass::MEJD: return key::MEJD;
    case OperatorClass::OST: return key::OST;
    }
    return blackboard::key::OST;
}

OperatorClass classify_number(const QString& number)
{
    QString clean = clean_copy(number);
    if (clean.contains(QLatin1Char('+'))) {
        if (!clean.contains(Reestr::kodS1()))
            return OperatorClass::MEJD;
        clean.remove(QLatin1Char('+'));
    }

    // A national number has 10 digits; with a two-digit country code in
    // front (380...) it has 12 and the national part starts at the third.
    qsizetype start = 0;
    if (clean.size() == 12)
        start = 2;
    else if (clean.size() != 10)
        return (clean.size() >= 5 && clean.size() <= 7) ? OperatorClass::GOR : OperatorClass::OST;
    const QString p3 = clean.mid(start, 3);
    const QString p4 = clean.mid(start, 4);
    const QString p5 = clean.mid(start, 5);

    // A 4- or 5-digit city code wins over a mobile prefix, a 3-digit one
    // loses to it.
    if (p5 == Reestr::kod5() || p4 == Reestr::kod4())
        return OperatorClass::GOR;
    static const std::array<std::pair<const char*, OperatorClass>, 11> kMobilePrefixes{{
        {"050", OperatorClass::MTS}, {"066", OperatorClass::MTS}, {"095", OperatorClass::MTS},
        {"099", OperatorClass::MTS}, {"067", OperatorClass::KS},  {"096", OperatorClass::KS},
        {"097", OperatorClass::KS},  {"098", OperatorClass::KS},  {"063", OperatorClass::LF},
        {"093", OperatorClass::LF},  {"068", OperatorClass::BE},
    }};
    for (const auto& [prefix, operator_class] : kMobilePrefixes) {
        if (p3 == QLatin1String(prefix))
            return operator_class;
    }
    return p3 == Reestr::kod3() ? OperatorClass::GOR : OperatorClass::OST;
}

int route_rule(OperatorClass operator_class)
{
    return read_rule_number(Reestr::rule_text(operator_class_key(operator_class)));
}

bool flag_is_on(const QString& text)
{
    return blackboard::flag::is_on(text);
}

}  // namespace Operators_telefons
