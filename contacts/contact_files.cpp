#include "contacts/contact_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

#include "contacts/vcard_writer.h"

namespace contacts {

namespace {

struct Text {
    Q_DECLARE_TR_FUNCTIONS(Contacts)
};

QString data_home()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

}  // namespace

bool make_private_folder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(folder))
        return false;
    return QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

namespace {

// A UID that is safe as a file name.
QString file_name_for(const QString& uid)
{
    QString name;
    for (QChar c : uid)
        name += (c.isLetterOrNumber() && c.unicode() < 128) || c == '-' || c == '_' || c == '.' ? c : QChar('_');
    if (name.startsWith('.'))
        name.prepend('_');
    return name + QStringLiteral(".vcf");
}

}  // namespace

QString own_folder()
{
    const QString set = qEnvironmentVariable("VEKORRA_CONTACTS");
    return set.isEmpty() ? data_home() + QStringLiteral("/vekorra/contacts") : set;
}

QString smartphone_folder()
{
    return data_home() + QStringLiteral("/kpeoplevcard");
}

QString phonebook_folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
           + QStringLiteral("/vekorra/phonebooks");
}

QList<Contact> read_contact_file(const QString& path, Origin origin)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Contact> contacts = read_vcards(file.readAll()).contacts;
    for (Contact& contact : contacts) {
        contact.file = path;
        contact.origin = origin;
        if (origin == Origin::Own && !contact.imported_from.isEmpty())
            contact.origin = Origin::Imported;
    }
    return contacts;
}

bool write_private_file(const QString& path, const QByteArray& bytes)
{
    if (!make_private_folder(QFileInfo(path).path()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.write(bytes);
    return file.commit();
}

bool save_own(Contact& contact)
{
    if (contact.uid.isEmpty())
        contact.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (contact.file.isEmpty() || !contact.editable())
        contact.file = own_folder() + '/' + file_name_for(contact.uid);
    return write_private_file(contact.file, write_vcard(contact));
}

bool remove_own(const Contact& contact)
{
    return contact.editable() && !contact.file.isEmpty() && QFile::remove(contact.file);
}

ImportResult import_vcards(const QString& path)
{
    ImportResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    VcardReadResult read = read_vcards(file.readAll());
    result.skipped = read.skipped;
    for (Contact& contact : read.contacts) {
        contact.origin = Origin::Imported;
        contact.imported_from = QFileInfo(path).fileName();
        contact.file.clear();
        if (save_own(contact))
            ++result.imported;
        else
            result.skipped << SkippedCard{0, Text::tr("не удалось записать %1").arg(contact.file)};
    }
    return result;
}

bool write_phonebook(const QString& line, const QList<Contact>& entries)
{
    return write_private_file(phonebook_folder() + QStringLiteral("/line-%1.vcf").arg(line), write_vcards(entries));
}

}  // namespace contacts
