#include "contacts/vcard_writer.h"

namespace contacts {

namespace {

QString escape(QString text)
{
    text.replace('\\', QLatin1String("\\\\"));
    text.replace(',', QLatin1String("\\,"));
    text.replace(';', QLatin1String("\\;"));
    text.replace('\n', QLatin1String("\\n"));
    text.remove('\r');
    return text;
}

// Folds one content line: at most 75 octets a line, a continuation
// starting with one space, never inside a UTF-8 sequence.
QByteArray fold(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    QByteArray out;
    qsizetype start = 0;
    int limit = 75;
    while (bytes.size() - start > limit) {
        qsizetype cut = start + limit;
        while (cut > start && (uchar(bytes[cut]) & 0xC0) == 0x80)
            --cut;
        out += bytes.mid(start, cut - start) + "\r\n ";
        start = cut;
        limit = 74;
    }
    out += bytes.mid(start) + "\r\n";
    return out;
}

QString type_param(const QStringList& types)
{
    if (types.isEmpty())
        return QString();
    // Only letters, digits and dashes reach the parameter: a label from a
    // foreign card cannot break the line.
    QStringList clean;
    for (const QString& type : types) {
        QString word;
        for (QChar c : type)
            if (c.isLetterOrNumber() || c == '-')
                word += c;
        if (!word.isEmpty())
            clean << word;
    }
    return clean.isEmpty() ? QString() : QStringLiteral(";TYPE=") + clean.join(',');
}

}  // namespace

QByteArray write_vcard(const Contact& contact)
{
    QByteArray out = "BEGIN:VCARD\r\nVERSION:4.0\r\n";
    if (!contact.uid.isEmpty())
        out += fold(QStringLiteral("UID:") + escape(contact.uid));
    out += fold(QStringLiteral("FN:") + escape(contact.name));
    for (const ContactNumber& number : contact.numbers)
        out += fold(QStringLiteral("TEL") + type_param(number.types) + ':' + escape(number.number));
    if (!contact.imported_from.isEmpty())
        out += fold(QStringLiteral("X-VEKORRA-IMPORTED:") + escape(contact.imported_from));
    if (!contact.line.isEmpty()) {
        out += fold(QStringLiteral("X-VEKORRA-LINE:") + escape(contact.line));
        out += fold(QStringLiteral("X-VEKORRA-MEMORY:") + escape(contact.memory));
        out += fold(QStringLiteral("X-VEKORRA-INDEX:") + QString::number(contact.index));
    }
    for (const QString& line : contact.other_lines)
        out += fold(line);
    out += "END:VCARD\r\n";
    return out;
}

QByteArray write_vcards(const QList<Contact>& contacts)
{
    QByteArray out;
    for (const Contact& contact : contacts)
        out += write_vcard(contact);
    return out;
}

}  // namespace contacts
