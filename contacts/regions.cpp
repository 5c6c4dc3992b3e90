#include "contacts/regions.h"

#include <phonenumbers/phonenumberutil.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <set>
#include <string>

namespace contacts {

namespace {

// Qt's locale data names a country only in its own languages; ICU (which
// libphonenumber brings along) names every one in every language.
QString region_name(const std::string& code, const icu::Locale& language)
{
    icu::UnicodeString name;
    icu::Locale("", code.c_str()).getDisplayCountry(language, name);
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(name.getBuffer()), name.length());
    return text.isEmpty() || text == QString::fromStdString(code) ? QString::fromStdString(code) : text;
}

}  // namespace

QList<Region> supported_regions(const QString& language)
{
    const auto& util = *i18n::phonenumbers::PhoneNumberUtil::GetInstance();
    std::set<std::string> codes;
    util.GetSupportedRegions(&codes);
    const icu::Locale shown_in(language.toLatin1().constData());
    QList<Region> regions;
    regions.reserve(int(codes.size()));
    for (const std::string& code : codes)
        regions.append(
            Region{QString::fromStdString(code), region_name(code, shown_in), util.GetCountryCodeForRegion(code)});
    QCollator order{QLocale(language)};
    std::sort(regions.begin(), regions.end(),
              [&order](const Region& a, const Region& b) { return order.compare(a.name, b.name) < 0; });
    return regions;
}

}  // namespace contacts
