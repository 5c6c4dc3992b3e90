#include "controller/dial_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "controller/manual_dial.h"
#include "platform/enter_presses.h"

namespace kestrum {

namespace {
const char* const kPrompt = QT_TRANSLATE_NOOP("kestrum::DialWindow", "Введите номер телефона!");
}

DialWindow::DialWindow(ManualDial& dial, QWidget* parent) : QDialog(parent), dial_(dial)
{
    setWindowTitle(tr("Набор номера"));
    auto* layout = new QVBoxLayout(this);
    prompt_ = new QLabel(tr(kPrompt), this);
    layout->addWidget(prompt_);
    number_box_ = new QLineEdit(this);
    layout->addWidget(number_box_);
    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    call_button_ = new QPushButton(tr("Позвонить"), this);
    call_button_->setDefault(true);
    buttons->addWidget(call_button_);
    cancel_button_ = new QPushButton(tr("Отмена"), this);
    cancel_button_->setAutoDefault(false);
    // Enter on "Отмена" cancels; it would dial through the default button.
    platform::press_on_enter(cancel_button_);
    buttons->addWidget(cancel_button_);

    connect(number_box_, &QLineEdit::textChanged, prompt_, &QLabel::clear);
    connect(call_button_, &QPushButton::clicked, this, &DialWindow::press_call);
    connect(cancel_button_, &QPushButton::clicked, this, &DialWindow::press_cancel);
}

void DialWindow::showEvent(QShowEvent* event)
{
    // Emptying the box on the last close cleared the prompt as well.
    prompt_->setText(tr(kPrompt));
    number_box_->setFocus();
    QDialog::showEvent(event);
}

void DialWindow::press_call()
{
    if (!dial_.call(number_box_->text())) {
        prompt_->setText(tr("Не введён номер!"));
        return;
    }
    hide();
    number_box_->clear();
}

void DialWindow::press_cancel()
{
    number_box_->clear();
    hide();
    dial_.cancel();
}

void DialWindow::reject()
{
    press_cancel();
}

}  // namespace kestrum
