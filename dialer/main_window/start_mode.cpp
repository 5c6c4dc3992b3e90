#include "dialer/main_window/start_mode.h"

#include <QUrl>

namespace main_window {

QString download_page_url() { return QStringLiteral(VEKORRA_UPDATE_URL); }

QString argument_text(const QStringList& arguments_after_program)
{
    const QString text = arguments_after_program.join(QLatin1Char(' '));
    // Browsers hand tel: links over percent-encoded ("tel:%2B380..."); read
    // as it stands, "%2B" would dial a 2 where the caller meant "+".
    if (text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        return QUrl::fromPercentEncoding(text.toUtf8());
    return text;
}

StartMode start_mode(const QString& argument_text)
{
    return argument_text.isEmpty() ? StartMode::Window : StartMode::HandOver;
}

}  // namespace main_window
