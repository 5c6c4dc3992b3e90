#pragma once
#include <QAbstractTableModel>
#include <QList>

#include "contacts/contact_index.h"

namespace contacts_window {

// The contacts as the "Контакты" tab lists them: name, numbers with their
// kinds, origin; the search of the tab narrows them (by name or digits,
// best matches first). It keeps rows as places in the index, so it is
// refreshed whenever the index was replaced. Qt Core only.
class ContactTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Name, Numbers, OriginColumn, ColumnCount };

    explicit ContactTableModel(const contacts::ContactIndex& index, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void set_search(const QString& text);
    const QString& search() const { return search_; }
    // The index was replaced or changed: lists afresh.
    void refresh();

    // The contact of a row; nullptr when out of range.
    const contacts::Contact* contact(int row) const;
    // The row of the contact with this UID; -1 when not shown.
    int row_of(const QString& uid) const;
    // The contacts shown, for the export.
    QList<contacts::Contact> shown_contacts() const;

private:
    const contacts::ContactIndex& index_;
    QString search_;
    // Places in the index's list, never pointers into it: a view that
    // asks between a replacement of the index and the refresh that
    // follows reads a wrong row at worst, never freed memory.
    QList<int> rows_;
};

}  // namespace contacts_window
