#include "contacts/contact_cache.h"

#include <QDataStream>
#include <QFile>

#include "contacts/contact_files.h"
#include "settings_store/store_location.h"

namespace contacts {

namespace {

constexpr quint32 kMagic = 0x564b4343;  // "VKCC"
// Raised whenever what is written below changes.
constexpr quint32 kVersion = 1;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;

void write_contact(QDataStream& out, const Contact& contact)
{
    out << contact.uid << contact.name << qint32(contact.numbers.size());
    for (const ContactNumber& number : contact.numbers)
        out << number.number << number.types;
    out << qint32(contact.origin) << contact.file << contact.imported_from << contact.line << contact.memory
        << qint32(contact.index) << contact.other_lines;
}

bool read_contact(QDataStream& in, Contact& contact)
{
    qint32 numbers = 0;
    in >> contact.uid >> contact.name >> numbers;
    if (numbers < 0 || in.status() != QDataStream::Ok)
        return false;
    for (qint32 i = 0; i < numbers && in.status() == QDataStream::Ok; ++i) {
        ContactNumber number;
        in >> number.number >> number.types;
        contact.numbers.append(number);
    }
    qint32 origin = 0;
    qint32 index = 0;
    in >> origin >> contact.file >> contact.imported_from >> contact.line >> contact.memory >> index
        >> contact.other_lines;
    if (origin < int(Origin::Own) || origin > int(Origin::Phone))
        return false;
    contact.origin = Origin(origin);
    contact.index = index;
    return in.status() == QDataStream::Ok;
}

bool read_file_state(QDataStream& in, QString& path, ContactBook::FileState& state)
{
    qint64 modified_ms = 0;
    qint32 count = 0;
    in >> path >> modified_ms >> state.size >> count;
    if (count < 0 || in.status() != QDataStream::Ok)
        return false;
    state.modified = QDateTime::fromMSecsSinceEpoch(modified_ms);
    for (qint32 i = 0; i < count; ++i) {
        Contact contact;
        if (!read_contact(in, contact))
            return false;
        state.contacts.append(contact);
    }
    return true;
}

}  // namespace

QString contact_cache_path()
{
    return settings_store::user_folder(settings_store::UserFolder::Cache) + QStringLiteral("/vekorra/contacts.cache");
}

ContactBook::Files read_contact_cache()
{
    QFile file(contact_cache_path());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QDataStream in(&file);
    in.setVersion(kStreamVersion);
    quint32 magic = 0;
    quint32 version = 0;
    qint32 count = 0;
    in >> magic >> version >> count;
    if (magic != kMagic || version != kVersion || count < 0)
        return {};
    ContactBook::Files files;
    for (qint32 i = 0; i < count; ++i) {
        QString path;
        ContactBook::FileState state;
        if (!read_file_state(in, path, state))
            return {};
        files.insert(path, state);
    }
    return files;
}

bool write_contact_cache(const ContactBook::Files& files)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kMagic << kVersion << qint32(files.size());
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        out << file.key() << file->modified.toMSecsSinceEpoch() << file->size << qint32(file->contacts.size());
        for (const Contact& contact : file->contacts)
            write_contact(out, contact);
    }
    return write_private_file(contact_cache_path(), bytes);
}

}  // namespace contacts
