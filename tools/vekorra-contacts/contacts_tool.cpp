#include "tools/vekorra-contacts/contacts_tool.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "contacts/contact_book.h"
#include "contacts/contact_files.h"
#include "contacts/vcard_writer.h"

namespace contacts_tool {

const char usage_text[] =
    "usage:\n"
    "  vekorra-contacts list [--search TEXT] [--format tsv|json|vcf]\n"
    "      print the contacts by name; --search those whose name holds TEXT or\n"
    "      whose number holds its digits. tsv (the default): name, numbers\n"
    "      (space separated), origin; vcf: vCard 4.0\n"
    "  vekorra-contacts import FILE.vcf\n"
    "      add the cards of a vCard file (2.1, 3.0, 4.0) to the own contacts;\n"
    "      prints how many were imported and how many skipped, and why\n"
    "  vekorra-contacts lookup NUMBER\n"
    "      print the name of the number's contact; exit status 1 when none\n"
    "Own contacts: $VEKORRA_CONTACTS, else ${XDG_DATA_HOME:-~/.local/share}/vekorra/contacts.\n"
    "Exit status: 0 success, 1 not found or the file cannot be read, 2 wrong arguments.\n";

namespace {

using contacts::Contact;

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int usage(FILE* err)
{
    std::fputs(usage_text, err);
    return UsageError;
}

QString tsv_field(QString text)
{
    return text.replace('\t', ' ').replace('\n', ' ');
}

QString tsv(const QList<const Contact*>& found)
{
    QString out;
    for (const Contact* contact : found) {
        QStringList numbers;
        for (const auto& number : contact->numbers)
            numbers << tsv_field(number.number);
        out += tsv_field(contact->name) + '\t' + numbers.join(' ') + '\t' + contacts::origin_text(*contact) + '\n';
    }
    return out;
}

QString json(const QList<const Contact*>& found)
{
    QJsonArray array;
    for (const Contact* contact : found) {
        QJsonArray numbers;
        for (const auto& number : contact->numbers)
            numbers.append(QJsonObject{{"number", number.number},
                                       {"types", QJsonArray::fromStringList(number.types)},
                                       {"label", contacts::label_text(number.types)}});
        array.append(QJsonObject{{"name", contact->name},
                                 {"numbers", numbers},
                                 {"origin", contacts::origin_text(*contact)}});
    }
    return QString::fromUtf8(QJsonDocument(array).toJson());
}

int list(const QStringList& args, FILE* out, FILE* err)
{
    QString search;
    QString format = QStringLiteral("tsv");
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--search"))
            search = args[i + 1];
        else if (args[i] == QLatin1String("--format"))
            format = args[i + 1];
        else
            return usage(err);
    }
    if (args.size() % 2 == 0 || !QStringList({"tsv", "json", "vcf"}).contains(format))
        return usage(err);
    contacts::ContactBook book(false);
    const QList<const Contact*> found = book.index().search(search);
    if (format == QLatin1String("json")) {
        print(out, json(found));
    } else if (format == QLatin1String("vcf")) {
        QList<Contact> cards;
        for (const Contact* contact : found)
            cards << *contact;
        print(out, QString::fromUtf8(contacts::write_vcards(cards)));
    } else {
        print(out, tsv(found));
    }
    return Success;
}

int import(const QString& path, FILE* out, FILE* err)
{
    const contacts::ImportResult result = contacts::import_vcards(path);
    if (!result.error.isEmpty()) {
        print(err, QStringLiteral("vekorra-contacts: %1: %2\n").arg(path, result.error));
        return Failed;
    }
    print(out, QStringLiteral("Импортировано: %1, пропущено: %2\n").arg(result.imported).arg(result.skipped.size()));
    for (const auto& card : result.skipped)
        print(err, QStringLiteral("vekorra-contacts: %1: пропущена карточка, %2\n")
                       .arg(path, contacts::skipped_text(card)));
    return Success;
}

int lookup(const QString& number, FILE* out)
{
    contacts::ContactBook book(false);
    const QString name = book.name_for(number);
    if (name.isEmpty())
        return NotFound;
    print(out, name + '\n');
    return Success;
}

}  // namespace

int run_command(const QStringList& args, FILE* out, FILE* err)
{
    if (args.isEmpty())
        return usage(err);
    if (args[0] == QLatin1String("list"))
        return list(args, out, err);
    if (args[0] == QLatin1String("import") && args.size() == 2)
        return import(args[1], out, err);
    if (args[0] == QLatin1String("lookup") && args.size() == 2)
        return lookup(args[1], out);
    return usage(err);
}

}  // namespace contacts_tool
