#include "dialer/main_window/name_completion.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStandardItemModel>

#include "contacts/contact_index.h"

namespace {
constexpr int kNumberRole = Qt::UserRole + 1;
}

NameCompletion::NameCompletion(QLineEdit* field, const contacts::ContactIndex& index)
    : QObject(field), field_(field), index_(index), model_(new QStandardItemModel(this)),
      completer_(new QCompleter(model_, this))
{
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setCompletionRole(kNumberRole);
    completer_->setWidget(field_);
    completer_->popup()->setAccessibleName(tr("Контакты"));
    // Wider than the field: names and numbers whole.
    completer_->popup()->setMinimumWidth(320);
    // Ahead of the completer's own filter, which hands Enter to the field
    // (dialling the letters typed) before it puts the chosen number there.
    completer_->popup()->installEventFilter(this);
    // Any change, typed or put there by a screen reader; a number put
    // there (a call back, a chosen offer) has no letters and offers nothing.
    connect(field_, &QLineEdit::textChanged, this, &NameCompletion::offer);
    connect(completer_, qOverload<const QString&>(&QCompleter::activated), field_, &QLineEdit::setText);
}

bool NameCompletion::eventFilter(QObject* watched, QEvent* event)
{
    QAbstractItemView* popup = completer_->popup();
    if (watched != popup || event->type() != QEvent::KeyPress || !popup->isVisible())
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    // Enter chooses the offer (the first, when none was marked); the next
    // Enter dials it.
    QModelIndex chosen = popup->currentIndex();
    if (!chosen.isValid())
        chosen = popup->model()->index(0, 0);
    popup->hide();
    if (chosen.isValid())
        field_->setText(chosen.data(kNumberRole).toString());
    return true;
}

void NameCompletion::offer(const QString& text)
{
    model_->clear();
    const bool has_letter = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
    if (!has_letter) {
        completer_->popup()->hide();
        return;
    }
    for (const contacts::Completion& completion : index_.complete(text)) {
        QString shown = completion.name + QStringLiteral(" — ") + completion.number;
        if (!completion.label.isEmpty())
            shown += QStringLiteral(", ") + completion.label;
        auto* item = new QStandardItem(shown);
        item->setData(completion.number, kNumberRole);
        item->setEditable(false);
        model_->appendRow(item);
    }
    if (model_->rowCount() == 0) {
        completer_->popup()->hide();
        return;
    }
    completer_->setCompletionPrefix(QString());
    completer_->complete();
}
