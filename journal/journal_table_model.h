#pragma once
#include <QAbstractTableModel>
#include <QHash>
#include <QList>

#include "journal/journal.h"

namespace journal {

// The talk time shown for a call: of a call going on, from its answer to
// now; of any other, its recorded talk time.
qint64 running_talk_seconds(const CallRecord& call, qint64 now_ms);

// The journal as a table for a view, newest call first, in the main
// window's Russian. A load reads the ids of the calls shown (one walk of an
// index; 8 bytes a call); rows load a page at a time by id and only the
// pages looked at stay in memory, so 100 000 calls cost the ids and a page,
// wherever the view scrolls.
// Qt Core only: the tab's view shows it.
class JournalTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Name: the contact's name for the number, "" when none.
    enum Column { Time, Line, DirectionColumn, Number, Name, Duration, OutcomeColumn, ColumnCount };
    static constexpr int page_size = 200;
    static constexpr int kept_pages = 16;

    explicit JournalTableModel(Journal& journal, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // A click on a column's header: the records in that column's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // The talk time of calls going on moves on: their cells are redrawn.
    void tick_running_calls();

    // Shows the records the filter covers, from the first.
    void set_filter(const Filter& filter);
    const Filter& filter() const { return filter_; }
    // Loads afresh (count and pages) when another program changed the
    // journal since the last load; true when it did. The tab calls it every
    // few hundred milliseconds.
    bool refresh_if_changed();
    void refresh();

    // Whether the last load read the journal: false when it could not be
    // read (damaged, locked, of an unknown schema), and the table then
    // shows no rows for want of them, not because there are none.
    bool readable() const { return loaded_ && !journal_.damaged(); }

    // The record of a row; id 0 when the row is out of range.
    CallRecord record(int row) const;
    bool remove_row(int row);
    // Every record the filter covers, for the export.
    QList<CallRecord> all_records() const { return journal_.fetch_all(filter_); }

private:
    const QList<CallRecord>& page(int number) const;

    Journal& journal_;
    Filter filter_;
    QList<qint64> ids_;
    qint64 data_version_ = -1;
    mutable bool loaded_ = false;
    mutable QHash<int, QList<CallRecord>> pages_;
};

}  // namespace journal
