#include "dialer/messages/thread_model.h"

#include <algorithm>

#include "contacts/shown_names.h"
#include "dialer/messages/message_labels.h"
#include "journal/journal.h"
#include "messages/message_store.h"

namespace messages_window {

QList<ThreadItem> merge_thread(const QList<messages::Message>& messages, const QList<journal::CallRecord>& calls)
{
    QList<ThreadItem> items;
    items.reserve(messages.size() + calls.size());
    for (const messages::Message& message : messages)
        items.append(ThreadItem{false, message, {}});
    for (const journal::CallRecord& call : calls)
        items.append(ThreadItem{true, {}, call});
    std::stable_sort(items.begin(), items.end(),
                     [](const ThreadItem& a, const ThreadItem& b) { return a.time_ms() < b.time_ms(); });
    return items;
}

QString export_text(const QString& number, const QList<ThreadItem>& items)
{
    QString text = Labels::tr("Переписка с %1").arg(contacts::with_name(number)) + QLatin1Char('\n');
    for (const ThreadItem& item : items)
        text += QLatin1Char('\n') + (item.is_call ? call_line(item.call) : message_line(item.message)) + QLatin1Char('\n');
    return text;
}

ThreadModel::ThreadModel(messages::MessageStore& store, journal::Journal& journal, QObject* parent)
    : QAbstractListModel(parent), store_(store), journal_(journal)
{
}

int ThreadModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(items_.size());
}

QVariant ThreadModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= items_.size())
        return {};
    const ThreadItem& item = items_[index.row()];
    const messages::Message& m = item.message;
    switch (role) {
    case Qt::DisplayRole:
        return item.is_call ? call_line(item.call) : message_line(m);
    case OutgoingRole:
        return item.is_call ? item.call.direction == journal::Direction::Out : m.direction == messages::Direction::Out;
    case CallRole:
        return item.is_call;
    case TextRole:
        return item.is_call ? call_line(item.call) : m.text;
    case TimeRole:
        return journal::time_label(item.time_ms());
    case StateRole:
        return item.is_call ? QString() : state_label(m);
    case FailedRole:
        return !item.is_call && m.state == messages::State::Failed;
    case IdRole:
        return item.is_call ? qint64(0) : m.id;
    default:
        return {};
    }
}

void ThreadModel::open(const QString& number)
{
    number_ = number;
    refresh();
}

void ThreadModel::refresh()
{
    beginResetModel();
    items_.clear();
    if (!number_.isEmpty()) {
        const QList<messages::Message> shown = store_.conversation(number_, kShownMessages);
        // With every message shown, every call of the number belongs too.
        const qint64 since = shown.size() < kShownMessages || shown.isEmpty() ? 0 : shown.first().received_ms;
        items_ = merge_thread(shown, calls_since(since));
    }
    endResetModel();
}

int ThreadModel::row_of_message(qint64 id) const
{
    for (int row = 0; row < items_.size(); ++row)
        if (!items_[row].is_call && items_[row].message.id == id)
            return row;
    return -1;
}

QList<ThreadItem> ThreadModel::whole_thread()
{
    return merge_thread(store_.conversation(number_), calls_since(0));
}

QList<journal::CallRecord> ThreadModel::calls_since(qint64 since_ms)
{
    const QString key = messages::conversation_key(number_);
    // A sender's name has no calls; a number's calls share its last digits.
    if (key.isEmpty() || !key.front().isDigit())
        return {};
    journal::Filter filter;
    filter.number_part = key.right(9);
    filter.since_ms = since_ms;
    QList<journal::CallRecord> calls;
    const QList<journal::CallRecord> found = journal_.fetch_all(filter);
    for (auto call = found.crbegin(); call != found.crend(); ++call)
        if (messages::conversation_key(call->number) == key)
            calls.append(*call);
    return calls;
}

}  // namespace messages_window
