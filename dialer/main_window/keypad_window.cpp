#include "dialer/main_window/keypad_window.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialer/main_window/keypad.h"
#include "platform/messages.h"

KeypadWindow::KeypadWindow(int slot, const QString& phone_title, QWidget* parent)
    : QDialog(parent), slot_(slot), sent_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("Tonovyi_nabor%1").arg(slot));
    setWindowTitle(tr("Тоновый набор: ") + phone_title);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    sent_->setObjectName(QStringLiteral("nabrano"));
    sent_->setReadOnly(true);
    sent_->setAccessibleName(tr("Отправленные тоны"));
    // Typed digits go to the keys, not into the line.
    sent_->setFocusPolicy(Qt::NoFocus);

    auto* grid = new QGridLayout;
    const QString keys = QString::fromLatin1(main_window::kKeypadKeys);
    for (int index = 0; index < keys.size(); ++index) {
        const QChar key = keys[index];
        auto* button = new QPushButton(QString(key), this);
        button->setObjectName(QStringLiteral("ton_%1").arg(index));
        button->setAccessibleName(main_window::keypad_key_name(key));
        button->setAutoDefault(false);
        button->setMinimumSize(48, 36);
        connect(button, &QPushButton::clicked, this, [this, key] { press(key); });
        grid->addWidget(button, index / main_window::kKeypadColumns, index % main_window::kKeypadColumns);
        keys_.append(button);
    }
    auto* close_button = new QPushButton(tr("Закрыть"), this);
    close_button->setObjectName(QStringLiteral("Zakryt"));
    close_button->setAutoDefault(false);
    connect(close_button, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sent_);
    layout->addLayout(grid);
    layout->addWidget(close_button);
    setFixedSize(sizeHint());
}

QString KeypadWindow::sent() const { return sent_->text(); }

QPushButton* KeypadWindow::key_button(QChar key) const
{
    const qsizetype index = QString::fromLatin1(main_window::kKeypadKeys).indexOf(key);
    return index < 0 ? nullptr : keys_[index];
}

void KeypadWindow::keyPressEvent(QKeyEvent* event)
{
    if (main_window::is_keypad_key(event->text()) && !event->isAutoRepeat()) {
        event->accept();
        // The key shows its press as a click would.
        key_button(event->text().front())->animateClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void KeypadWindow::press(QChar key)
{
    if (!main_window::send_tone(slot_, key)) {
        platform::show_message(tr("Не удалось передать тон телефону!"));
        return;
    }
    sent_->setText(sent_->text() + key);
}
