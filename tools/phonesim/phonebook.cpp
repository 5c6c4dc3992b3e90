#include "phonebook.h"

#include <QFile>
#include <QRegularExpression>

namespace {

QByteArray line(const QString& text) { return "\r\n" + text.toLatin1() + "\r\n"; }
const QByteArray ok = "\r\nOK\r\n";
QByteArray cme(int code) { return line(QStringLiteral("+CME ERROR: %1").arg(code)); }

QString unquoted(QString text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"'))
        text = text.mid(1, text.size() - 2);
    return text;
}

QString ucs2_hex(const QString& text)
{
    QString hex;
    for (QChar c : text)
        hex += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return hex;
}

}  // namespace

Phonebook::Phonebook()
{
    sizes_ = {{QStringLiteral("SM"), 250}, {QStringLiteral("ME"), 500}};
}

QString Phonebook::add(const QString& text)
{
    const QString memory = text.section(',', 0, 0).trimmed().toUpper();
    const QString number = text.section(',', 1, 1).trimmed();
    const QString name = text.section(',', 2).trimmed();
    if (!sizes_.contains(memory) || number.isEmpty())
        return QStringLiteral("expected MEM,NUMBER,NAME with MEM SM or ME: %1").arg(text);
    QMap<int, Entry>& entries = memories_[memory];
    int index = 1;
    while (entries.contains(index))
        ++index;
    if (index > sizes_[memory])
        return QStringLiteral("memory %1 is full").arg(memory);
    entries.insert(index, Entry{number, name});
    return {};
}

QString Phonebook::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1").arg(path);
    for (const QString& text : QString::fromUtf8(file.readAll()).split('\n')) {
        if (text.trimmed().isEmpty() || text.trimmed().startsWith('#'))
            continue;
        const QString refused = add(text);
        if (!refused.isEmpty())
            return refused;
    }
    return {};
}

QString Phonebook::set_quirk(const QString& quirk)
{
    if (quirk == QLatin1String("no-range"))
        no_range_ = true;
    else if (quirk == QLatin1String("hex-numbers"))
        hex_numbers_ = true;
    else
        return QStringLiteral("unknown phonebook quirk: %1").arg(quirk);
    return {};
}

QByteArray Phonebook::command(const QString& body)
{
    if (body.startsWith(QLatin1String("+CPBS")))
        return select(body.mid(5));
    if (body.startsWith(QLatin1String("+CPBR")))
        return read(body.mid(5));
    if (body.startsWith(QLatin1String("+CSCS")))
        return charset(body.mid(5));
    return {};
}

QByteArray Phonebook::select(const QString& arguments)
{
    if (arguments == QLatin1String("?"))
        return line(QStringLiteral("+CPBS: \"%1\",%2,%3")
                        .arg(memory_)
                        .arg(memories_.value(memory_).size())
                        .arg(sizes_[memory_]))
               + ok;
    if (arguments == QLatin1String("=?"))
        return line(QStringLiteral("+CPBS: (\"SM\",\"ME\")")) + ok;
    const QString memory = unquoted(arguments.mid(1)).toUpper();
    if (!arguments.startsWith('=') || !sizes_.contains(memory))
        return cme(3);
    memory_ = memory;
    return ok;
}

QByteArray Phonebook::read(const QString& arguments)
{
    if (arguments == QLatin1String("=?"))
        return line(QStringLiteral("+CPBR: (1-%1),40,18").arg(sizes_[memory_])) + ok;
    static const QRegularExpression range(QStringLiteral("^=(\\d+)(?:,(\\d+))?$"));
    const QRegularExpressionMatch match = range.match(arguments);
    if (!match.hasMatch())
        return cme(4);
    const int first = match.captured(1).toInt();
    const int last = match.captured(2).isEmpty() ? first : match.captured(2).toInt();
    if (first < 1 || last < first || last > sizes_[memory_])
        return cme(21);
    if (no_range_ && last > first)
        return cme(4);
    QByteArray reply;
    const QMap<int, Entry>& entries = memories_[memory_];
    for (auto entry = entries.lowerBound(first); entry != entries.end() && entry.key() <= last; ++entry) {
        const QString number = hex_numbers_ && charset_ == QLatin1String("UCS2") ? ucs2_hex(entry->number)
                                                                                : entry->number;
        const int type = entry->number.startsWith('+') ? 145 : 129;
        reply += line(QStringLiteral("+CPBR: %1,\"%2\",%3,\"%4\"")
                          .arg(entry.key())
                          .arg(number)
                          .arg(type)
                          .arg(encoded(entry->name)));
    }
    // A single place that holds nothing is "not found", as phones say.
    if (reply.isEmpty() && first == last)
        return cme(22);
    return reply + ok;
}

QByteArray Phonebook::charset(const QString& arguments)
{
    if (arguments == QLatin1String("?"))
        return line(QStringLiteral("+CSCS: \"%1\"").arg(charset_)) + ok;
    if (arguments == QLatin1String("=?"))
        return line(QStringLiteral("+CSCS: (\"GSM\",\"IRA\",\"UCS2\")")) + ok;
    const QString set = unquoted(arguments.mid(1)).toUpper();
    if (!arguments.startsWith('=') || !QStringList({"GSM", "IRA", "UCS2"}).contains(set))
        return cme(4);
    charset_ = set;
    return ok;
}

// Names the character set cannot carry come out as "?", as phones do.
QString Phonebook::encoded(const QString& text) const
{
    if (charset_ == QLatin1String("UCS2"))
        return ucs2_hex(text);
    QString out;
    for (QChar c : text)
        out += c.unicode() < 128 && c != '"' ? c : QChar('?');
    return out;
}
