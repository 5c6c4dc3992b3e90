#pragma once
#include <QList>
#include <QString>

#include "contacts/contact.h"
#include "contacts/vcard_reader.h"

namespace contacts {

// The user's own contacts, one vCard per file: $VEKORRA_CONTACTS when set
// and not empty, else ${XDG_DATA_HOME:-~/.local/share}/vekorra/contacts.
QString own_folder();
// Where the desktop's phone sync keeps a smartphone's contacts:
// ${XDG_DATA_HOME:-~/.local/share}/kpeoplevcard (one folder per device).
QString smartphone_folder();
// The phones' phonebooks as the controllers last read them, one file per
// line: ${XDG_CACHE_HOME:-~/.cache}/vekorra/phonebooks/line-N.vcf.
QString phonebook_folder();

// The contacts of one .vcf file, with the origin its folder gives them.
QList<Contact> read_contact_file(const QString& path, Origin origin);

// Writes an own contact into its file (made from a new UID when it has
// none); replaces the file in one step, so a watcher never sees half a card.
bool save_own(Contact& contact);
bool remove_own(const Contact& contact);

struct ImportResult {
    int imported = 0;
    QList<SkippedCard> skipped;
    QString error;  // the file could not be read at all
};
// Every readable card of the file becomes an own contact that remembers
// the file; a card whose UID is already there replaces that contact.
ImportResult import_vcards(const QString& path);

// The phonebook of a line, replaced as a whole.
bool write_phonebook(const QString& line, const QList<Contact>& entries);

// A folder for contacts, made 0700 when missing.
bool make_private_folder(const QString& folder);
// Writes a file in one step, 0600 in a 0700 folder: contacts are private.
bool write_private_file(const QString& path, const QByteArray& bytes);

}  // namespace contacts
