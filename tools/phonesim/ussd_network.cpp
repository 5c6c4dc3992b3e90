#include "ussd_network.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const QStringList kinds {"text", "ucs2", "ucs2-dcs15", "menu", "unsupported", "silent", "error"};

QByteArray urc(int mode, const QByteArray& text, int dcs)
{
    return "\r\n+CUSD: " + QByteArray::number(mode) + ",\"" + text + "\"," + QByteArray::number(dcs) + "\r\n";
}

}  // namespace

UssdNetwork::UssdNetwork()
{
    const QString balance = QStringLiteral("Ваш баланс: 125,40 грн.\\nБонус: 50 МБ до 31.12");
    configure(QStringLiteral("*100#=ucs2:") + balance);
    configure(QStringLiteral("*111#=ucs2:") + balance);
}

QByteArray UssdNetwork::ucs2_hex(const QString& text)
{
    QByteArray hex;
    for (const QChar unit : text)
        hex += QByteArray::number(unit.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex;
}

QString UssdNetwork::configure(const QString& setting)
{
    const qsizetype equals = setting.indexOf(QLatin1Char('='));
    const QString code = setting.left(equals);
    const QString rest = setting.mid(equals + 1);
    const QString kind = rest.section(QLatin1Char(':'), 0, 0);
    const QString text = rest.section(QLatin1Char(':'), 1).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    if (equals <= 0 || !kinds.contains(kind))
        return QStringLiteral("expected CODE=KIND[:TEXT] with KIND one of %1").arg(kinds.join(QLatin1Char(' ')));
    Answer answer {kind, text, {}};
    if (kind == QLatin1String("menu")) {
        if (!text.contains(QLatin1Char('|')))
            return QStringLiteral("a menu is menu:MENU|FINAL");
        answer.text = text.section(QLatin1Char('|'), 0, 0);
        answer.follow_up = text.section(QLatin1Char('|'), 1);
    }
    answers_.insert(code, answer);
    return {};
}

UssdNetwork::Outcome UssdNetwork::command(const QString& arguments)
{
    static const QRegularExpression form(QStringLiteral(R"re(^=([012])(?:,"([^"]*)"(?:,(\d+))?)?$)re"));
    if (arguments == QLatin1String("=?"))
        return {true, "\r\n+CUSD: (0-2)\r\n", {}, {}};
    if (arguments == QLatin1String("?"))
        return {true, "\r\n+CUSD: " + QByteArray(presenting_ ? "1" : "0") + "\r\n", {}, {}};
    const QRegularExpressionMatch match = form.match(arguments);
    if (!match.hasMatch())
        return {false, {}, {}, "ussd refused " + arguments.toUtf8()};
    const int mode = match.captured(1).toInt();
    if (mode == 2) {
        menu_open_ = false;
        return {true, {}, {}, "ussd cancelled"};
    }
    presenting_ = mode == 1;
    if (!match.hasCaptured(2))
        return {};
    Outcome outcome = request(match.captured(2));
    if (!presenting_)
        outcome.unsolicited.clear();
    return outcome;
}

UssdNetwork::Outcome UssdNetwork::request(const QString& text)
{
    if (menu_open_) {
        menu_open_ = false;
        return {true, {}, urc(0, menu_final_.toUtf8(), 15), "ussd menu answered " + text.toUtf8()};
    }
    const Answer chosen = answers_.value(text, answers_.value(QStringLiteral("any"), Answer {"unsupported", {}, {}}));
    Outcome outcome = answer(chosen);
    outcome.event = "ussd " + text.toUtf8() + " " + chosen.kind.toUtf8();
    return outcome;
}

UssdNetwork::Outcome UssdNetwork::answer(const Answer& answer)
{
    Outcome outcome;
    if (answer.kind == QLatin1String("text")) {
        outcome.unsolicited = urc(0, answer.text.toUtf8(), 15);
    } else if (answer.kind == QLatin1String("ucs2")) {
        outcome.unsolicited = urc(0, ucs2_hex(answer.text), 72);
    } else if (answer.kind == QLatin1String("ucs2-dcs15")) {
        outcome.unsolicited = urc(0, ucs2_hex(answer.text), 15);
    } else if (answer.kind == QLatin1String("menu")) {
        outcome.unsolicited = urc(1, answer.text.toUtf8(), 15);
        menu_open_ = true;
        menu_final_ = answer.follow_up;
    } else if (answer.kind == QLatin1String("unsupported")) {
        outcome.unsolicited = "\r\n+CUSD: 4\r\n";
    } else if (answer.kind == QLatin1String("error")) {
        outcome.ok = false;
    }
    return outcome;
}
