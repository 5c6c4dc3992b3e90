#include "controller/ussd.h"

#include "blackboard/keys.h"
#include "blackboard/phone_text.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace ussd {

namespace {

const QString marker = QStringLiteral("+CUSD:");

bool is_break(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }

// The UCS2 alphabets of the data coding schemes a USSD answer carries
// (3GPP TS 23.038): general data coding 01xx and message class 1001, both
// with alphabet bits 10.
bool is_ucs2_dcs(int dcs)
{
    const bool ucs2_alphabet = (dcs & 0x0C) == 0x08;
    return dcs >= 0 && ucs2_alphabet && ((dcs & 0xC0) == 0x40 || (dcs & 0xF0) == 0x90);
}

bool printable(char32_t code)
{
    if (code == U'\n' || code == U'\r' || code == U'\t')
        return true;
    if ((code & 0xFFFE) == 0xFFFE || (code >= 0xFDD0 && code <= 0xFDEF))
        return false;  // noncharacters
    switch (QChar::category(code)) {
    case QChar::Other_Control:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return false;
    default:
        return true;
    }
}

// Groups of four hex digits as UTF-16 (UCS2, pairs of surrogates allowed)
// when every character is printable; else nothing.
std::optional<QString> ucs2_text(const QString& hex)
{
    static const QRegularExpression form(QStringLiteral("^(?:[0-9A-Fa-f]{4})+$"));
    if (!form.match(hex).hasMatch())
        return std::nullopt;
    QString text;
    for (qsizetype at = 0; at < hex.size(); at += 4)
        text += QChar(char16_t(hex.mid(at, 4).toUShort(nullptr, 16)));
    for (qsizetype at = 0; at < text.size(); ++at) {
        char32_t code = text[at].unicode();
        if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text[at], text[at + 1]);
            ++at;
        }
        if (!printable(code))
            return std::nullopt;
    }
    return text;
}

// Hex that reads as UCS2 text under a dcs that does not say so: at least two
// characters, and most of them from the alphabets below U+0800 (Latin,
// Cyrillic, digits, punctuation), so that a number such as "380501234567"
// is not taken for three CJK characters.
bool reads_as_ucs2(const QString& decoded)
{
    if (decoded.size() < 2)
        return false;
    const auto common = std::count_if(decoded.begin(), decoded.end(), [](QChar c) { return c.unicode() < 0x0800; });
    return common * 2 > decoded.size();
}

struct Parsed {
    enum Kind { NotAnswer, Incomplete, Complete } kind = NotAnswer;
    qsizetype end = 0;  // after the line's own line break
    Answer answer;
};

qsizetype skip_spaces(const QString& text, qsizetype at)
{
    while (at < text.size() && text[at] == QLatin1Char(' '))
        ++at;
    return at;
}

// Reads "<m>[,"<str>"[,<dcs>]]" followed by a line break, from `at` just
// after the marker.
Parsed parse_line(const QString& text, qsizetype at)
{
    Parsed parsed;
    at = skip_spaces(text, at);
    const qsizetype mode_start = at;
    while (at < text.size() && text[at].isDigit())
        ++at;
    if (at == mode_start)
        return parsed;  // "+CUSD: (0-2)", the answer to a query: not the network's
    const QString mode = text.mid(mode_start, at - mode_start);
    QString str;
    int dcs = -1;
    at = skip_spaces(text, at);
    if (at < text.size() && text[at] == QLatin1Char(',')) {
        at = skip_spaces(text, at + 1);
        if (at < text.size() && text[at] == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), at + 1);
            if (close < 0)
                return {Parsed::Incomplete, 0, {}};
            str = text.mid(at + 1, close - at - 1);
            at = close + 1;
        } else {
            while (at < text.size() && !is_break(text[at]) && text[at] != QLatin1Char(','))
                str += text[at++];  // a phone that leaves out the quotes
        }
        at = skip_spaces(text, at);
        if (at < text.size() && text[at] == QLatin1Char(',')) {
            at = skip_spaces(text, at + 1);
            const qsizetype dcs_start = at;
            while (at < text.size() && text[at].isDigit())
                ++at;
            dcs = at > dcs_start ? text.mid(dcs_start, at - dcs_start).toInt() : -1;
        }
        at = skip_spaces(text, at);
    }
    if (at >= text.size())
        return {Parsed::Incomplete, 0, {}};  // its line break is still on the way
    if (!is_break(text[at]))
        return parsed;
    at += text.mid(at, 2) == QLatin1String("\r\n") ? 2 : 1;
    parsed.kind = Parsed::Complete;
    parsed.end = at;
    parsed.answer = {state_of_mode(mode), decode(str, dcs), {}};
    return parsed;
}

// Whether the +CUSD line that text begins with (after a line break) ends
// within it.
bool completes(const QString& text)
{
    return parse_line(text, text.indexOf(marker) + marker.size()).kind == Parsed::Complete;
}

}  // namespace

bool valid_request(const QString& text)
{
    return blackboard::ussd_request_valid(text);
}

QString request_command(const QString& text)
{
    return QStringLiteral("AT+CUSD=1,\"%1\",15").arg(text);
}

QString cancel_command()
{
    return QStringLiteral("AT+CUSD=2");
}

QString state_of_mode(const QString& mode)
{
    static const QStringList known {"0", "1", "2", "4", "5"};
    if (known.contains(mode))
        return mode;
    return mode == QLatin1String("3") ? QStringLiteral("2") : QStringLiteral("error");
}

QString decode(const QString& text, int dcs)
{
    const std::optional<QString> ucs2 = ucs2_text(text);
    if (ucs2 && (is_ucs2_dcs(dcs) || reads_as_ucs2(*ucs2)))
        return *ucs2;
    return blackboard::text_from_phone(text);
}

CutReply cut_answers(const QString& reply)
{
    CutReply cut;
    qsizetype copied = 0;  // reply[0, copied) is settled
    for (qsizetype found = reply.indexOf(marker); found >= 0; found = reply.indexOf(marker, found + 1)) {
        if (found < copied || (found > 0 && !is_break(reply[found - 1])))
            continue;
        const Parsed parsed = parse_line(reply, found + marker.size());
        if (parsed.kind == Parsed::NotAnswer)
            continue;
        // The line break before the line goes with it when the text before
        // ends a line by itself (or there is none): "OK\r\n" + "\r\n+CUSD...".
        qsizetype lead = found;
        if (lead > copied && reply[lead - 1] == QLatin1Char('\n'))
            --lead;
        if (lead > copied && reply[lead - 1] == QLatin1Char('\r'))
            --lead;
        const QString before = lead > copied ? reply.mid(lead - 1, 1) : cut.rest.right(1);
        const qsizetype start = before.isEmpty() || is_break(before[0]) ? lead : found;
        cut.rest += reply.mid(copied, start - copied);
        if (parsed.kind == Parsed::Incomplete) {
            cut.incomplete = reply.mid(start);
            return cut;
        }
        Answer answer = parsed.answer;
        answer.raw = reply.mid(found, parsed.end - found).trimmed();
        cut.answers.append(answer);
        copied = parsed.end;
    }
    cut.rest += reply.mid(copied);
    return cut;
}

bool Session::request(const QString& text)
{
    if (!valid_request(text))
        return false;
    queue_.append(text);
    return true;
}

void Session::cancel()
{
    queue_.append(QString());
}

QString Session::next_command(qint64 now_ms)
{
    if (stage_ != Stage::Idle || queue_.isEmpty())
        return {};
    const QString text = queue_.takeFirst();
    cancelling_ = text.isEmpty();
    stage_ = Stage::Written;
    written_at_ms_ = now_ms;
    if (cancelling_)
        return cancel_command();
    publish({}, {});
    return request_command(text);
}

QString Session::take_reply(const QString& raw, qint64 now_ms, bool own_command)
{
    CutReply cut;
    if (carried_.isEmpty() || completes(carried_ + raw)) {
        cut = cut_answers(carried_ + raw);
    } else {
        // A line still open after a whole further reply will never end
        // well: it counts as an unreadable answer rather than swallow the
        // replies after it.
        cut = cut_answers(raw);
        cut.answers.prepend({QStringLiteral("error"), {}, carried_});
    }
    carried_ = cut.incomplete;
    for (const Answer& answer : cut.answers)
        publish(answer.text, answer.state);
    const bool answered = !cut.answers.isEmpty();
    if (own_command && stage_ == Stage::Written)
        finish_command(cut.rest, answered);
    else if (answered && stage_ != Stage::Idle && !cancelling_)
        stage_ = Stage::Idle;
    check_timeout(now_ms);
    return cut.rest;
}

// The final result of the command: ERROR (or a +CME ERROR) ends it;
// anything else leaves the answer to come, or to be overdue.
void Session::finish_command(const QString& rest, bool answered)
{
    static const QRegularExpression refused(QStringLiteral("(^|[\\r\\n])(ERROR|\\+CM[ES] ERROR:[^\\r\\n]*)\\s*($|[\\r\\n])"));
    const bool error = refused.match(rest).hasMatch();
    if (cancelling_) {
        publish(last_reply_, QStringLiteral("2"));  // the menu is gone either way
        stage_ = Stage::Idle;
    } else if (answered) {
        stage_ = Stage::Idle;
    } else if (error) {
        publish({}, QStringLiteral("error"));
        stage_ = Stage::Idle;
    } else {
        stage_ = Stage::AwaitingAnswer;
    }
}

void Session::command_failed()
{
    if (stage_ == Stage::Idle)
        return;
    if (cancelling_)
        publish(last_reply_, QStringLiteral("2"));
    else
        publish({}, QStringLiteral("error"));
    stage_ = Stage::Idle;
}

void Session::check_timeout(qint64 now_ms)
{
    if (stage_ == Stage::Idle || now_ms - written_at_ms_ < answer_timeout_ms)
        return;
    if (cancelling_)
        publish(last_reply_, QStringLiteral("2"));
    else
        publish({}, QStringLiteral("timeout"));
    stage_ = Stage::Idle;
}

void Session::publish(const QString& reply, const QString& state)
{
    last_reply_ = reply;
    outcomes_.append({reply, state});
}

QList<Outcome> Session::take_outcomes()
{
    return std::exchange(outcomes_, {});
}

}  // namespace ussd
