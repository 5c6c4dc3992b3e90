#pragma once
#include <QHash>
#include <QString>

namespace contacts {

// The form under which two numbers are the same number: E.164 as
// libphonenumber reads them in the default region, so 0671234567,
// +380671234567, 380671234567 and +38 (067) 123-45-67 share one key in
// Ukraine. A text with no digits has the key "".
//
// libphonenumber's parser costs 100 to 250 µs a number here (its ICU
// regular expressions), too slow for reading ten thousand contacts at
// start-up or for looking a ringing number up. The forms whose reading is
// certain from the region's own data (its country code and national
// prefix) are keyed from that data at once: "+" followed by digits, and
// the national prefix followed by a national number. Every other form
// goes to the parser, and its answer is remembered.
class NumberKeys {
public:
    // region: ISO 3166 code ("UA"); an unknown code reads as "UA".
    explicit NumberKeys(const QString& region = QStringLiteral("UA"));

    QString key(const QString& number) const;
    const QString& region() const { return region_; }
    // What libphonenumber's parser itself makes of the number: E.164, or ""
    // when it cannot read it. The slow path, also for cross-checks.
    QString parsed_key(const QString& number) const;

private:
    QString region_;
    QString country_code_;      // "380"
    QString national_prefix_;   // "0"
    mutable QHash<QString, QString> parsed_;
};

// The default region: the setting "Страна" (Vekorra, drugoe, `strana`),
// "UA" when unset.
QString default_region();
// Sets it (an ISO 3166 code); an unchanged value is not written again.
void set_default_region(const QString& region);

}  // namespace contacts
