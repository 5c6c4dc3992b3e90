#include "blackboard/keys.h"

#include <QRegularExpression>

namespace blackboard {

QString section::slot(int slot) { return QString::number(slot); }

QString section::development() { return QStringLiteral("Проект"); }

QString dtmf_tones(const QString& written)
{
    QString tones;
    for (const QChar c : written) {
        const char16_t u = c.toUpper().unicode();
        if ((u >= u'0' && u <= u'9') || u == u'*' || u == u'#' || (u >= u'A' && u <= u'D'))
            tones.append(QChar(u));
    }
    return tones;
}

QString phone_type_text(PhoneType type)
{
    switch (type) {
    case PhoneType::Gsm: return kGsm;
    case PhoneType::Cdma: return kCdma;
    case PhoneType::Provod: return kProvod;
    }
    return kGsm;
}

std::optional<PhoneType> phone_type_of(const QString& text)
{
    if (text == kGsm)
        return PhoneType::Gsm;
    if (text == kCdma)
        return PhoneType::Cdma;
    if (text == kProvod)
        return PhoneType::Provod;
    return std::nullopt;
}

bool ussd_request_valid(const QString& text)
{
    // The whole text: "$" alone would let a final line feed through, and
    // the request would reach the phone as two command lines.
    static const QRegularExpression form(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9*#+]{1,%1}").arg(kUssdRequestMaxLength)));
    return form.match(text).hasMatch();
}

}  // namespace blackboard
