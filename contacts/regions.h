#pragma once
#include <QList>
#include <QString>

namespace contacts {

// A region whose numbering libphonenumber knows: its ISO 3166 code and its
// name in the interface's language.
struct Region {
    QString code;
    QString name;
    int calling_code = 0;  // 380
};

// Every region libphonenumber supports, named in `language` (an ISO 639
// code: "ru", "en") as the platform's locale data names it (the code
// itself where it has no name), in the alphabetical order of that
// language.
QList<Region> supported_regions(const QString& language);

}  // namespace contacts
