#include "contacts/number_key.h"

#include <phonenumbers/phonenumberutil.h>

#include "blackboard/keys.h"
#include "settings_store/settings_store.h"

namespace contacts {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {

// Digits of the text with "*" and "#" (a service code is not the number
// of its digits) and a leading "+"; the letters of a vanity number are not
// read.
QString dialled_form(const QString& number)
{
    QString out;
    out.reserve(number.size());
    for (QChar c : number) {
        if ((c.isDigit() && c.unicode() < 128) || c == '*' || c == '#')
            out += c;
        else if (c == '+' && out.isEmpty())
            out += c;
    }
    return out == QLatin1String("+") ? QString() : out;
}

// National numbers shorter than this (service and short numbers) are left
// to the parser, which knows the region's lengths.
constexpr int kShortestNationalNumber = 8;

}  // namespace

NumberKeys::NumberKeys(const QString& region) : region_(region.toUpper())
{
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    int code = util.GetCountryCodeForRegion(region_.toStdString());
    if (code == 0) {
        region_ = QStringLiteral("UA");
        code = util.GetCountryCodeForRegion("UA");
    }
    country_code_ = QString::number(code);
    std::string prefix;
    util.GetNddPrefixForRegion(region_.toStdString(), true, &prefix);
    national_prefix_ = QString::fromStdString(prefix);
}

QString NumberKeys::key(const QString& number) const
{
    const QString dialled = dialled_form(number);
    if (dialled.isEmpty())
        return QString();
    if (dialled.startsWith('+') && dialled.size() > kShortestNationalNumber)
        return dialled;
    if (!national_prefix_.isEmpty() && dialled.startsWith(national_prefix_)
        && !dialled.startsWith(national_prefix_ + national_prefix_)
        && dialled.size() - national_prefix_.size() >= kShortestNationalNumber)
        return '+' + country_code_ + dialled.mid(national_prefix_.size());
    const QString parsed = parsed_key(dialled);
    // What the parser cannot read is still itself: short numbers match by
    // their digits.
    return parsed.isEmpty() ? dialled : parsed;
}

QString NumberKeys::parsed_key(const QString& number) const
{
    const auto known = parsed_.constFind(number);
    if (known != parsed_.cend())
        return *known;
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    QString result;
    if (util.Parse(number.toStdString(), region_.toStdString(), &parsed) == PhoneNumberUtil::NO_PARSING_ERROR
        && util.IsPossibleNumber(parsed)) {
        std::string e164;
        util.Format(parsed, PhoneNumberUtil::E164, &e164);
        result = QString::fromStdString(e164);
    }
    if (parsed_.size() > 100000)
        parsed_.clear();
    parsed_.insert(number, result);
    return result;
}

QString default_region()
{
    const QString region = read_setting(blackboard::app::Vekorra, blackboard::section::drugoe,
                                        blackboard::key::strana, QStringLiteral("UA"))
                               .trimmed()
                               .toUpper();
    return region.isEmpty() ? QStringLiteral("UA") : region;
}

void set_default_region(const QString& region)
{
    if (!region.isEmpty() && region != default_region())
        write_setting(blackboard::app::Vekorra, blackboard::section::drugoe, blackboard::key::strana, region);
}

}  // namespace contacts
