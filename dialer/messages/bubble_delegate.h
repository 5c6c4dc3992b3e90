#pragma once
#include <QStyledItemDelegate>

class QListView;

namespace messages_window {

// Draws a conversation as a phone does: incoming messages in bubbles on
// the left, outgoing ones on the right with their state under the text
// (failed ones in red), calls as one grey line across the middle.
class BubbleDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit BubbleDelegate(QListView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    struct Layout {
        QRect bubble, text, footer;
    };
    Layout layout(const QStyleOptionViewItem& option, const QModelIndex& index, int width) const;
    static QString footer_of(const QModelIndex& index);

    QListView* view_;
};

// The conversation list: a conversation with unread messages in bold.
class UnreadDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace messages_window
