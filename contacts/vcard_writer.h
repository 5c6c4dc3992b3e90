#pragma once
#include <QByteArray>
#include <QList>

#include "contacts/contact.h"

namespace contacts {

// One card in vCard 4.0 (RFC 6350): UTF-8, CRLF line ends, lines folded
// at 75 octets without cutting a character. The origin's own fields
// (imported file, phone line, memory, index) go as X-VEKORRA properties,
// and the lines this program does not show are written back as they came.
QByteArray write_vcard(const Contact& contact);
QByteArray write_vcards(const QList<Contact>& contacts);

}  // namespace contacts
