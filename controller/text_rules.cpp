#include "controller/text_rules.h"

namespace kestrum {

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
