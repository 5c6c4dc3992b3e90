#include "contacts/vcard_reader.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <optional>

namespace contacts {

namespace {

struct Text {
    Q_DECLARE_TR_FUNCTIONS(Contacts)
};

// One property after unfolding: "item1.TEL;TYPE=cell:+380..." split up.
struct Property {
    QByteArray name;                           // upper case, without group
    QList<QPair<QByteArray, QByteArray>> params;  // names upper case; bare 2.1 values have name ""
    QByteArray value;
    QByteArray raw;                            // the whole unfolded line
};

struct CardText {
    int first_line = 0;
    QList<QByteArray> lines;  // unfolded
};

// Where the first `separator` outside double quotes stands, -1 if none.
qsizetype find_unquoted(const QByteArray& text, char separator, qsizetype from = 0)
{
    bool quoted = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == separator && !quoted)
            return i;
    }
    return -1;
}

QList<QByteArray> split_unquoted(const QByteArray& text, char separator)
{
    QList<QByteArray> parts;
    qsizetype start = 0;
    for (qsizetype at = find_unquoted(text, separator); at >= 0; at = find_unquoted(text, separator, start)) {
        parts << text.mid(start, at - start);
        start = at + 1;
    }
    parts << text.mid(start);
    return parts;
}

bool parse_property(const QByteArray& line, Property& property)
{
    const qsizetype colon = find_unquoted(line, ':');
    if (colon <= 0)
        return false;
    property.raw = line;
    property.value = line.mid(colon + 1);
    QList<QByteArray> head = split_unquoted(line.left(colon), ';');
    QByteArray name = head.takeFirst().trimmed().toUpper();
    property.name = name.mid(name.lastIndexOf('.') + 1);
    for (const QByteArray& param : head) {
        const qsizetype equals = param.indexOf('=');
        QByteArray value = (equals < 0 ? param : param.mid(equals + 1)).trimmed();
        if (value.startsWith('"') && value.endsWith('"') && value.size() >= 2)
            value = value.mid(1, value.size() - 2);
        property.params.append({equals < 0 ? QByteArray() : param.left(equals).trimmed().toUpper(), value});
    }
    return !property.name.isEmpty();
}

QByteArray param(const Property& property, const QByteArray& name)
{
    for (const auto& [key, value] : property.params)
        if (key == name)
            return value;
    return QByteArray();
}

bool quoted_printable(const Property& property)
{
    for (const auto& [key, value] : property.params)
        if ((key == "ENCODING" || key.isEmpty()) && value.toUpper() == "QUOTED-PRINTABLE")
            return true;
    return false;
}

QByteArray decode_quoted_printable(const QByteArray& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size()) {
            bool ok = false;
            const int byte = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                bytes.append(char(byte));
                i += 2;
                continue;
            }
        }
        bytes.append(text[i]);
    }
    return bytes;
}

// The property's value as text; false when its character set is unknown.
bool value_text(const Property& property, QString& text)
{
    const QByteArray bytes = quoted_printable(property) ? decode_quoted_printable(property.value) : property.value;
    const QByteArray charset = param(property, "CHARSET");
    QStringDecoder decoder(charset.isEmpty() ? "UTF-8" : charset.constData());
    if (!decoder.isValid())
        return false;
    text = decoder.decode(bytes);
    if (decoder.hasError() && charset.isEmpty()) {
        // Old phones wrote their own code page and did not say so; here
        // that is Windows-1251.
        QStringDecoder cp1251("windows-1251");
        text = cp1251.decode(bytes);
    }
    return true;
}

QString unescape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const QChar next = text[++i];
            out += (next == 'n' || next == 'N') ? QChar('\n') : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Splits a structured value (N) at the semicolons that are not escaped.
QStringList split_components(const QString& text)
{
    QStringList parts(1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            parts.last() += text.mid(i, 2);
            ++i;
        } else if (text[i] == ';') {
            parts << QString();
        } else {
            parts.last() += text[i];
        }
    }
    for (QString& part : parts)
        part = unescape(part).trimmed();
    return parts;
}

QString name_from_n(const QString& value)
{
    const QStringList parts = split_components(value);
    QStringList words;
    for (int i : {3, 1, 2, 0, 4})  // prefix, given, additional, family, suffix
        if (i < parts.size() && !parts[i].isEmpty())
            words << parts[i];
    return words.join(' ');
}

ContactNumber number_of(const Property& property, const QString& value)
{
    ContactNumber number;
    number.number = value.trimmed();
    // A tel: address carries its parameters (";ext=") after the number.
    if (number.number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        number.number = number.number.mid(4).section(';', 0, 0);
    for (const auto& [key, text] : property.params) {
        if (!key.isEmpty() && key != "TYPE")
            continue;
        if (key.isEmpty() && (text.toUpper() == "QUOTED-PRINTABLE" || text.contains('=')))
            continue;
        for (const QByteArray& type : text.split(','))
            if (!type.trimmed().isEmpty())
                number.types << QString::fromLatin1(type.trimmed().toLower());
    }
    return number;
}

// Reads one card; "" on success, else why it cannot be read.
QString read_card(const CardText& card, Contact& contact)
{
    bool keeps_other_lines = false;
    QString org;
    QString n_name;
    for (const QByteArray& line : card.lines) {
        Property property;
        if (!parse_property(line, property))
            return Text::tr("строка без двоеточия: «%1»").arg(QString::fromUtf8(line.left(40)));
        QString value;
        if (!value_text(property, value))
            return Text::tr("неизвестная кодировка %1").arg(QString::fromLatin1(param(property, "CHARSET")));
        const QByteArray& name = property.name;
        if (name == "VERSION")
            keeps_other_lines = value.trimmed() != QLatin1String("2.1");
        else if (name == "FN")
            contact.name = unescape(value).trimmed();
        else if (name == "N")
            n_name = name_from_n(value);
        else if (name == "ORG")
            org = split_components(value).value(0);
        else if (name == "TEL")
            contact.numbers << number_of(property, unescape(value));
        else if (name == "UID")
            contact.uid = unescape(value).trimmed();
        else if (name == "X-VEKORRA-IMPORTED")
            contact.imported_from = unescape(value);
        else if (name == "X-VEKORRA-LINE")
            contact.line = value.trimmed();
        else if (name == "X-VEKORRA-MEMORY")
            contact.memory = value.trimmed();
        else if (name == "X-VEKORRA-INDEX")
            contact.index = value.trimmed().toInt();
        else if (name != "PRODID" && name != "REV")
            contact.other_lines << QString::fromUtf8(property.raw);
    }
    if (!keeps_other_lines)
        contact.other_lines.clear();
    if (contact.name.isEmpty())
        contact.name = n_name.isEmpty() ? org : n_name;
    contact.numbers.removeIf([](const ContactNumber& number) { return number.number.isEmpty(); });
    if (contact.name.isEmpty() && contact.numbers.isEmpty())
        return Text::tr("нет ни имени, ни номера");
    return QString();
}

bool is_line(const QByteArray& line, const char* text)
{
    return line.trimmed().compare(text, Qt::CaseInsensitive) == 0;
}

// Ends a quoted-printable value whose last line asks for the next one.
bool continues_quoted_printable(const QByteArray& line)
{
    if (!line.endsWith('='))
        return false;
    const qsizetype colon = find_unquoted(line, ':');
    return colon > 0 && line.left(colon).toUpper().contains("QUOTED-PRINTABLE");
}

}  // namespace

VcardReadResult read_vcards(const QByteArray& text)
{
    VcardReadResult result;
    QList<QByteArray> physical = text.split('\n');
    std::optional<CardText> card;
    auto finish = [&](bool ended) {
        Contact contact;
        const QString reason = ended ? read_card(*card, contact) : Text::tr("нет END:VCARD");
        if (reason.isEmpty())
            result.contacts << contact;
        else
            result.skipped << SkippedCard{card->first_line, reason};
        card.reset();
    };
    for (qsizetype i = 0; i < physical.size(); ++i) {
        QByteArray line = physical[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (is_line(line, "BEGIN:VCARD")) {
            if (card)
                finish(false);
            card = CardText{int(i + 1), {}};
            continue;
        }
        if (!card)
            continue;
        if (is_line(line, "END:VCARD")) {
            finish(true);
            continue;
        }
        if ((line.startsWith(' ') || line.startsWith('\t')) && !card->lines.isEmpty()) {
            card->lines.last() += line.mid(1);
        } else if (!line.trimmed().isEmpty()) {
            card->lines << line;
        }
        // A soft line break of quoted-printable joins the next line too.
        while (!card->lines.isEmpty() && continues_quoted_printable(card->lines.last()) && i + 1 < physical.size()
               && !is_line(physical[i + 1], "END:VCARD")) {
            QByteArray next = physical[++i];
            if (next.endsWith('\r'))
                next.chop(1);
            card->lines.last().chop(1);
            card->lines.last() += next;
        }
    }
    if (card)
        finish(false);
    return result;
}

QString skipped_text(const SkippedCard& card)
{
    return Text::tr("строка %1: %2").arg(card.line).arg(card.reason);
}

}  // namespace contacts
