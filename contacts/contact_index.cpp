#include "contacts/contact_index.h"

#include <algorithm>

namespace contacts {

namespace {

int rank(Origin origin)
{
    switch (origin) {
    case Origin::Own:
    case Origin::Imported:
        return 0;
    case Origin::Smartphone:
        return 1;
    case Origin::Phone:
        return 2;
    }
    return 3;
}

QString digits_of(const QString& text)
{
    QString out;
    for (QChar c : text)
        if (c.isDigit())
            out += c;
    return out;
}

// 0: the name starts with the text, 1: a word of it does, 2: it holds it
// elsewhere, -1: not at all.
int name_match(const QString& folded_name, const QString& folded_text)
{
    const qsizetype at = folded_name.indexOf(folded_text);
    if (at < 0)
        return -1;
    if (at == 0)
        return 0;
    for (qsizetype i = at; i >= 0; i = folded_name.indexOf(folded_text, i + 1))
        if (!folded_name[i - 1].isLetterOrNumber())
            return 1;
    return 2;
}

}  // namespace

ContactIndex::ContactIndex(const QString& region) : keys_(region) {}

void ContactIndex::reset(QList<Contact> contacts)
{
    contacts_ = std::move(contacts);
    folded_names_.clear();
    number_digits_.clear();
    by_key_.clear();
    folded_names_.reserve(contacts_.size());
    number_digits_.reserve(contacts_.size());
    by_key_.reserve(contacts_.size() * 2);
    for (int i = 0; i < contacts_.size(); ++i) {
        const Contact& contact = contacts_[i];
        folded_names_ << contact.name.toCaseFolded();
        QString digits;
        for (const ContactNumber& number : contact.numbers) {
            digits += digits_of(number.number) + ' ';
            const QString key = keys_.key(number.number);
            if (key.isEmpty() || contact.name.isEmpty())
                continue;
            auto known = by_key_.find(key);
            if (known == by_key_.end())
                by_key_.insert(key, i);
            else if (rank(contact.origin) < rank(contacts_[*known].origin))
                *known = i;
        }
        number_digits_ << digits;
    }
}

const Contact* ContactIndex::find(const QString& number) const
{
    if (by_key_.isEmpty())
        return nullptr;
    const auto known = by_key_.constFind(keys_.key(number));
    return known == by_key_.cend() ? nullptr : &contacts_[*known];
}

QString ContactIndex::name_for(const QString& number) const
{
    const Contact* contact = find(number);
    return contact ? contact->name : QString();
}

void ContactIndex::sort_found(QList<QPair<int, int>>& found) const
{
    std::stable_sort(found.begin(), found.end(), [this](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return folded_names_[a.second] < folded_names_[b.second];
    });
}

QList<const Contact*> ContactIndex::search(const QString& text) const
{
    const QString folded = text.trimmed().toCaseFolded();
    const QString digits = digits_of(text);
    QList<QPair<int, int>> found;  // how, contact
    for (int i = 0; i < contacts_.size(); ++i) {
        int how = folded.isEmpty() ? 0 : name_match(folded_names_[i], folded);
        if (how < 0 && digits.size() >= 3 && number_digits_[i].contains(digits))
            how = 3;
        if (how >= 0)
            found.append({how, i});
    }
    sort_found(found);
    QList<const Contact*> out;
    out.reserve(found.size());
    for (const auto& [how, i] : found)
        out << &contacts_[i];
    return out;
}

QList<Completion> ContactIndex::complete(const QString& text, int limit) const
{
    QList<Completion> out;
    const QString folded = text.trimmed().toCaseFolded();
    if (folded.isEmpty())
        return out;
    QList<QPair<int, int>> found;  // how, contact
    for (int i = 0; i < contacts_.size(); ++i) {
        const int how = contacts_[i].numbers.isEmpty() ? -1 : name_match(folded_names_[i], folded);
        if (how >= 0)
            found.append({how, i});
    }
    sort_found(found);
    for (const auto& [how, i] : found) {
        for (const ContactNumber& number : contacts_[i].numbers) {
            if (out.size() >= limit)
                return out;
            out << Completion{contacts_[i].name, number.number, label_text(number.types)};
        }
    }
    return out;
}

QStringList ContactIndex::numbers_named(const QString& text, const QStringList& numbers) const
{
    QStringList out;
    const QString folded = text.trimmed().toCaseFolded();
    if (folded.isEmpty() || by_key_.isEmpty())
        return out;
    for (const QString& number : numbers) {
        const auto known = by_key_.constFind(keys_.key(number));
        if (known != by_key_.cend() && folded_names_[*known].contains(folded))
            out << number;
    }
    return out;
}

}  // namespace contacts
