#pragma once
#include <QString>

#include "contacts/contact_book.h"

namespace contacts {

// The contacts a window last read, each file with its time and size, kept
// between runs in ${XDG_CACHE_HOME:-~/.cache}/vekorra/contacts.cache: a
// start then reads only the files changed since, instead of ten thousand.
// Private like the contacts (0600). A cache that cannot be read, from
// another version or cut short, counts as none: every file is read.
QString contact_cache_path();
ContactBook::Files read_contact_cache();
bool write_contact_cache(const ContactBook::Files& files);

}  // namespace contacts
