#include "dialer/messages/conversation_list_model.h"

#include <QSet>
#include <algorithm>
#include <utility>

#include "contacts/shown_names.h"
#include "dialer/messages/message_labels.h"
#include "journal/journal.h"

namespace messages_window {

ConversationListModel::ConversationListModel(messages::MessageStore& store, QObject* parent)
    : QAbstractListModel(parent), store_(store)
{
}

int ConversationListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

QVariant ConversationListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shown_.size())
        return {};
    const messages::Conversation& c = shown_[index.row()];
    switch (role) {
    case Qt::DisplayRole: {
        QString head = contacts::with_name(c.number);
        if (c.unread > 0)
            head += QStringLiteral(" (%1)").arg(c.unread);
        QString preview = c.last_text.left(kPreviewLength).simplified();
        if (c.last_direction == messages::Direction::Out)
            preview = Labels::tr("Вы: %1").arg(preview);
        return head + QLatin1Char('\n') + short_time_label(c.last_ms, now_ms_) + QStringLiteral("  ") + preview;
    }
    case Qt::ToolTipRole:
        return c.last_text.left(200);
    case NumberRole:
        return c.number;
    case UnreadRole:
        return c.unread;
    default:
        return {};
    }
}

void ConversationListModel::refresh(qint64 now_ms)
{
    now_ms_ = now_ms;
    all_ = store_.conversations();
    apply_search();
}

void ConversationListModel::set_search(const QString& text)
{
    search_ = text.trimmed();
    apply_search();
}

void ConversationListModel::apply_search()
{
    beginResetModel();
    if (search_.isEmpty()) {
        shown_ = all_;
    } else {
        // Digits typed with spaces or dashes look for a number.
        QString digits = journal::number_search_text(search_);
        digits.remove(QLatin1Char('+'));
        if (!std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c.isDigit(); }))
            digits.clear();
        const QStringList keys = store_.matching_conversations(search_, digits);
        const QSet<QString> matching(keys.cbegin(), keys.cend());
        shown_.clear();
        for (const messages::Conversation& c : std::as_const(all_))
            if (matching.contains(c.key) || contacts::shown_name(c.number).contains(search_, Qt::CaseInsensitive))
                shown_.append(c);
    }
    endResetModel();
}

int ConversationListModel::row_of(const QString& number) const
{
    const QString key = messages::conversation_key(number);
    for (int row = 0; row < shown_.size(); ++row)
        if (shown_[row].key == key)
            return row;
    return -1;
}

}  // namespace messages_window
