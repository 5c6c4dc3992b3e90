#include "dialer/contacts/contact_table_model.h"

namespace contacts_window {

ContactTableModel::ContactTableModel(const contacts::ContactIndex& index, QObject* parent)
    : QAbstractTableModel(parent), index_(index)
{
    refresh();
}

int ContactTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int ContactTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ContactTableModel::data(const QModelIndex& index, int role) const
{
    const contacts::Contact* shown = index.isValid() ? contact(index.row()) : nullptr;
    if (!shown || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    switch (index.column()) {
    case Name:
        return shown->name;
    case Numbers:
        return contacts::numbers_text(*shown);
    case OriginColumn:
        return contacts::origin_text(*shown);
    default:
        return {};
    }
}

QVariant ContactTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Name:
        return tr("Имя");
    case Numbers:
        return tr("Номера");
    case OriginColumn:
        return tr("Откуда");
    default:
        return {};
    }
}

void ContactTableModel::set_search(const QString& text)
{
    search_ = text.trimmed();
    refresh();
}

void ContactTableModel::refresh()
{
    beginResetModel();
    rows_.clear();
    const contacts::Contact* first = index_.contacts().constData();
    for (const contacts::Contact* found : index_.search(search_))
        rows_ << int(found - first);
    endResetModel();
}

const contacts::Contact* ContactTableModel::contact(int row) const
{
    if (row < 0 || row >= rows_.size() || rows_[row] >= index_.contacts().size())
        return nullptr;
    return &index_.contacts()[rows_[row]];
}

int ContactTableModel::row_of(const QString& uid) const
{
    if (uid.isEmpty())
        return -1;
    for (int row = 0; row < rows_.size(); ++row)
        if (const contacts::Contact* listed = contact(row); listed && listed->uid == uid)
            return row;
    return -1;
}

QList<contacts::Contact> ContactTableModel::shown_contacts() const
{
    QList<contacts::Contact> shown;
    shown.reserve(rows_.size());
    for (int row = 0; row < rows_.size(); ++row)
        if (const contacts::Contact* shown_contact = contact(row))
            shown << *shown_contact;
    return shown;
}

}  // namespace contacts_window
