// Fuzz target: the normalisation of a phone's reply in the AT exchange and
// the controller's other text conversions (kestrum::normalise_reply,
// trim_spaces, leading_number16, dialable_number, dial_command).
//
// Input: one byte chooses the command whose echo is removed (one of the
// commands the controller sends, or a command text of its own in the first
// line), the rest is the raw reply as the serial port delivers it (Latin-1,
// every byte one character, NUL and control characters included).
//
// normalise_reply is compared with the replacement sequence done step by
// step on plain strings; its result must hold no line end, tab, backspace,
// vertical tab or NUL and no space at either end.
#include <cmath>
#include <limits>

#include "bench/fuzz/fuzz_support.h"
#include "controller/text_rules.h"

namespace {

using fuzz::expect;
using fuzz::expect_equal;
using fuzz::replace_all;

std::u16string trimmed_spaces(const std::u16string& text)
{
    const std::size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos)
        return std::u16string();
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

std::u16string normalised(std::u16string reply, const std::u16string& command)
{
    reply = replace_all(reply, u"\r", u" ");
    reply = replace_all(reply, u"\r\n", u" ");
    reply = replace_all(reply, command, u"");
    reply = replace_all(reply, u"\r\n", u" ");
    reply = replace_all(reply, std::u16string(1, u'\b'), u"");
    reply = replace_all(reply, u"\n", u" ");
    reply = replace_all(reply, std::u16string(1, u'\0'), u"");
    reply = replace_all(reply, u"\t", u" ");
    reply = replace_all(reply, u"\v", u"");
    reply = replace_all(reply, u"   ", u" ");
    reply = replace_all(reply, u"  ", u" ");
    return trimmed_spaces(reply);
}

void check_normalise(const QString& raw, const QString& command)
{
    const QString reply = kestrum::normalise_reply(raw, command);
    expect_equal(fuzz::u16(reply), normalised(fuzz::u16(raw), fuzz::u16(command)), "normalise_reply",
                 command + QStringLiteral(" | ") + raw);
    for (const QChar c : reply)
        expect(c != u'\r' && c != u'\n' && c != u'\t' && c != u'\b' && c != u'\v' && c != QChar(0),
               "normalised reply without line ends and control characters", raw);
    expect(!reply.startsWith(u' ') && !reply.endsWith(u' '), "normalised reply without outer spaces", raw);
    expect_equal(fuzz::u16(kestrum::trim_spaces(raw)), trimmed_spaces(fuzz::u16(raw)), "trim_spaces", raw);
}

// Spaces, a sign, digits, a point and digits; at least one digit. The
// number rounded to nearest, ties to even; 0 when it leaves 16 bits.
qint16 leading_number(const std::u16string& text)
{
    const std::size_t pos = text.find_first_not_of(u' ');
    if (pos == std::u16string::npos)
        return 0;
    const std::string ascii = fuzz::leading_decimal(text, pos);
    if (ascii.empty())
        return 0;
    const double rounded = std::nearbyint(std::strtod(ascii.c_str(), nullptr));
    if (!(rounded >= std::numeric_limits<qint16>::min() && rounded <= std::numeric_limits<qint16>::max()))
        return 0;
    return qint16(rounded);
}

void check_conversions(const QString& raw)
{
    expect_equal(kestrum::leading_number16(raw), leading_number(fuzz::u16(raw)), "leading_number16", raw);

    const QString dialable = kestrum::dialable_number(raw);
    QString expected;
    for (const QChar c : raw)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f)
            expected += c;
    expect_equal(dialable, expected, "dialable_number keeps exactly the printable characters", raw);

    // Whatever the number holds, the dial command is one line with one ";"
    // at its end: nothing after it can reach the phone as another command.
    for (const char* verb_text : {"ATD", "AT+CDV"}) {
        const QString verb = QLatin1String(verb_text);
        const QString line = kestrum::dial_command(verb, raw);
        expect_equal(line, verb + QString(expected).remove(u';') + QStringLiteral(";\r\n"), "dial_command", raw);
        expect(line.count(u';') == 1 && line.count(u'\r') == 1 && line.count(u'\n') == 1,
               "one dial command, one line", raw);
    }
}

// Commands as the controller writes them.
const QString kCommands[] = {
    QString(),                          QStringLiteral("AT"),         QStringLiteral("AT+CLCC"),
    QStringLiteral("AT+GMM"),           QStringLiteral("ATA"),        QStringLiteral("AT+CHUP"),
    QStringLiteral("AT+CHLD=2"),        QStringLiteral("ATD0501234567;"),
};
constexpr int kCommandCount = int(sizeof kCommands / sizeof kCommands[0]);

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input input(data, size);
    const int choice = input.byte();
    const QString command =
        choice < kCommandCount ? kCommands[choice] : QString::fromLatin1(input.field());
    const QString raw = QString::fromLatin1(input.rest());
    check_normalise(raw, command);
    check_conversions(raw);
    return 0;
}
