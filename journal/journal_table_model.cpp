#include "journal/journal_table_model.h"

#include "contacts/shown_names.h"
#include "platform/clock.h"

#include <QDateTime>

namespace journal {

qint64 running_talk_seconds(const CallRecord& call, qint64 now_ms)
{
    if (call.outcome == Outcome::Open && call.answer_ms > 0 && now_ms > call.answer_ms)
        return (now_ms - call.answer_ms) / 1000;
    return call.talk_seconds();
}

namespace {

QString number_label(const QString& number)
{
    return number.isEmpty() ? JournalTableModel::tr("Номер скрыт") : number;
}

}  // namespace

JournalTableModel::JournalTableModel(Journal& journal, QObject* parent) : QAbstractTableModel(parent), journal_(journal)
{
    refresh();
}

int JournalTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(ids_.size()); }

int JournalTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

const QList<CallRecord>& JournalTableModel::page(int number) const
{
    const auto kept = pages_.constFind(number);
    if (kept != pages_.constEnd())
        return *kept;
    // Scrolling far drops what was looked at before rather than growing.
    if (pages_.size() >= kept_pages)
        pages_.clear();
    const QList<CallRecord> rows = journal_.fetch_ids(ids_.mid(qsizetype(number) * page_size, page_size));
    loaded_ = loaded_ && journal_.read_ok();
    return *pages_.insert(number, rows);
}

CallRecord JournalTableModel::record(int row) const
{
    if (row < 0 || row >= ids_.size())
        return CallRecord();
    // A call removed since the ids were read leaves its page short; the
    // id tells which record belongs to the row.
    const QList<CallRecord>& rows = page(row / page_size);
    const qsizetype likely = row % page_size;
    if (likely < rows.size() && rows[likely].id == ids_[row])
        return rows[likely];
    for (const CallRecord& call : rows)
        if (call.id == ids_[row])
            return call;
    return CallRecord();
}

QVariant JournalTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::UserRole))
        return QVariant();
    const CallRecord call = record(index.row());
    if (call.id == 0)
        return QVariant();
    if (role == Qt::UserRole)
        return call.id;
    switch (index.column()) {
    case Time:
        return time_label(call.start_ms);
    case Line:
        return line_label(call.line);
    case DirectionColumn:
        return direction_label(call.direction);
    case Number:
        return number_label(call.number);
    case Name:
        return contacts::shown_name(call.number);
    case Duration:
        return duration_label(running_talk_seconds(call, platform::clock().wall_clock_ms()));
    case OutcomeColumn:
        return outcome_label(call.outcome);
    default:
        return QVariant();
    }
}

QVariant JournalTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const char* const titles[ColumnCount] = {QT_TR_NOOP("Время"),  QT_TR_NOOP("Линия"),
                                                    QT_TR_NOOP("Направление"), QT_TR_NOOP("Номер"),
                                                    QT_TR_NOOP("Имя"), QT_TR_NOOP("Длительность"),
                                                    QT_TR_NOOP("Итог")};
    return section >= 0 && section < ColumnCount ? tr(titles[section]) : QVariant();
}

void JournalTableModel::set_filter(const Filter& filter)
{
    // The order is the view's (sort()); the filter keeps it.
    const Filter::Order order = filter_.order;
    const bool ascending = filter_.ascending;
    filter_ = filter;
    filter_.order = order;
    filter_.ascending = ascending;
    refresh();
}

void JournalTableModel::sort(int column, Qt::SortOrder order)
{
    // The names live in the contacts, not in the journal's database: the
    // name column keeps the calls of one number together, in number order.
    static const Filter::Order orders[ColumnCount] = {Filter::Order::Start,  Filter::Order::Line,
                                                      Filter::Order::Direction, Filter::Order::Number,
                                                      Filter::Order::Number, Filter::Order::TalkTime,
                                                      Filter::Order::Outcome};
    if (column < 0 || column >= ColumnCount)
        return;
    filter_.order = orders[column];
    filter_.ascending = order == Qt::AscendingOrder;
    refresh();
}

void JournalTableModel::tick_running_calls()
{
    const qint64 now_ms = platform::clock().wall_clock_ms();
    for (auto page = pages_.cbegin(); page != pages_.cend(); ++page) {
        for (const CallRecord& call : page.value()) {
            if (call.outcome == Outcome::Open && call.answer_ms > 0 && call.answer_ms <= now_ms) {
                const int first = page.key() * page_size;
                emit dataChanged(index(first, Duration), index(first + int(page.value().size()) - 1, Duration));
                break;
            }
        }
    }
}

void JournalTableModel::refresh()
{
    beginResetModel();
    pages_.clear();
    data_version_ = journal_.data_version();
    ids_ = journal_.matching_ids(filter_);
    loaded_ = journal_.read_ok();
    endResetModel();
}

bool JournalTableModel::refresh_if_changed()
{
    // A journal that could not be read is tried whole again: its version
    // tells nothing while it cannot be read.
    if (loaded_ && journal_.data_version() == data_version_)
        return false;
    refresh();
    return true;
}

bool JournalTableModel::remove_row(int row)
{
    const CallRecord call = record(row);
    if (call.id == 0 || !journal_.remove(call.id))
        return false;
    refresh();
    return true;
}

}  // namespace journal
