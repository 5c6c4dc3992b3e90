#include "dialer/messages/bubble_delegate.h"

#include <QListView>
#include <QPainter>

#include "dialer/messages/conversation_list_model.h"
#include "dialer/messages/thread_model.h"

namespace messages_window {

namespace {
constexpr int kPadding = 5;
constexpr int kGap = 3;           // between bubbles
constexpr int kSideMargin = 40;   // the far side a bubble leaves free
const QColor kIncoming(0xee, 0xee, 0xee);
const QColor kOutgoing(0xd6, 0xf0, 0xc8);
const QColor kFailed(0xf8, 0xd0, 0xd0);
}  // namespace

BubbleDelegate::BubbleDelegate(QListView* view) : QStyledItemDelegate(view), view_(view) {}

QString BubbleDelegate::footer_of(const QModelIndex& index)
{
    const QString state = index.data(ThreadModel::StateRole).toString();
    const QString time = index.data(ThreadModel::TimeRole).toString();
    return state.isEmpty() ? time : time + QStringLiteral("  ") + state;
}

BubbleDelegate::Layout BubbleDelegate::layout(const QStyleOptionViewItem& option, const QModelIndex& index,
                                              int width) const
{
    const QFontMetrics metrics(option.font);
    Layout result;
    if (index.data(ThreadModel::CallRole).toBool()) {
        result.text = QRect(kPadding, kGap, width - 2 * kPadding, metrics.height());
        result.bubble = result.text.adjusted(0, 0, 0, kGap);
        return result;
    }
    const int inner = qMax(40, width - kSideMargin - 2 * kPadding);
    const QRect text = metrics.boundingRect(QRect(0, 0, inner, 100000), Qt::TextWordWrap,
                                            index.data(ThreadModel::TextRole).toString());
    const QRect footer = metrics.boundingRect(QRect(0, 0, inner, 100000), Qt::TextWordWrap, footer_of(index));
    const int bubble_width = qMax(text.width(), footer.width()) + 2 * kPadding;
    const int left = index.data(ThreadModel::OutgoingRole).toBool() ? width - bubble_width - kPadding : kPadding;
    result.bubble = QRect(left, kGap, bubble_width, text.height() + footer.height() + 2 * kPadding);
    result.text = QRect(left + kPadding, kGap + kPadding, bubble_width - 2 * kPadding, text.height());
    result.footer = QRect(left + kPadding, result.text.bottom() + 1, bubble_width - 2 * kPadding, footer.height());
    return result;
}

QSize BubbleDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int width = view_->viewport()->width();
    const Layout shape = layout(option, index, width);
    return QSize(width, shape.bubble.bottom() + kGap);
}

void BubbleDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const Layout shape = layout(option, index, option.rect.width());
    const QPoint origin = option.rect.topLeft();
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setFont(option.font);
    if (index.data(ThreadModel::CallRole).toBool()) {
        painter->setPen(selected ? option.palette.highlight().color() : Qt::darkGray);
        painter->drawText(shape.text.translated(origin), Qt::AlignCenter,
                          QFontMetrics(option.font).elidedText(index.data(ThreadModel::TextRole).toString(),
                                                               Qt::ElideRight, shape.text.width()));
        painter->restore();
        return;
    }
    const bool failed = index.data(ThreadModel::FailedRole).toBool();
    const bool out = index.data(ThreadModel::OutgoingRole).toBool();
    painter->setPen(selected ? QPen(option.palette.highlight().color(), 2) : QPen(Qt::NoPen));
    painter->setBrush(failed ? kFailed : out ? kOutgoing : kIncoming);
    painter->drawRoundedRect(shape.bubble.translated(origin), 6, 6);
    painter->setPen(Qt::black);
    painter->drawText(shape.text.translated(origin), Qt::TextWordWrap, index.data(ThreadModel::TextRole).toString());
    painter->setPen(failed ? Qt::darkRed : Qt::darkGray);
    painter->drawText(shape.footer.translated(origin), Qt::TextWordWrap | (out ? Qt::AlignRight : Qt::AlignLeft),
                      footer_of(index));
    painter->restore();
}

void UnreadDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(ConversationListModel::UnreadRole).toInt() > 0)
        option->font.setBold(true);
}

}  // namespace messages_window
