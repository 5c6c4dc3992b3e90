#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include "contacts/contact.h"

namespace contacts {

// A card that could not be read: the line its BEGIN stands on, and why.
struct SkippedCard {
    int line = 0;
    QString reason;
};

struct VcardReadResult {
    QList<Contact> contacts;
    QList<SkippedCard> skipped;
};

// Reads every card of a vCard text: 2.1 as old phones and Android write it
// (quoted-printable, CHARSET=UTF-8 or WINDOWS-1251, bare TYPE parameters),
// 3.0 and 4.0; folded lines; many cards in one text. A card that cannot be
// read is skipped and named by its line; the others are still read. The
// contacts come out with origin Own and file "" (the caller sets both).
VcardReadResult read_vcards(const QByteArray& text);

// "строка 12: нет END:VCARD", as the importer reports a skipped card.
QString skipped_text(const SkippedCard& card);

}  // namespace contacts
