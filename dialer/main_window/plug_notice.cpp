#include "dialer/main_window/plug_notice.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "dialer/main_window/plug_watch.h"

namespace {

bool same_device(const PhoneOffer& offer, const SerialDevice& device) { return offer.device.node == device.node; }

}  // namespace

PlugNotice::PlugNotice(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PlugNotice"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette notice = palette();
    notice.setColor(QPalette::Window, QColor(255, 250, 205));
    setPalette(notice);
    setAccessibleName(tr("Новый телефон"));

    text_ = new QLabel(this);
    // A combo box is read by its current choice: the labels say what each
    // one chooses (screen readers follow the buddy as "labelled by").
    slot_choice_ = new QComboBox(this);
    slot_choice_->setAccessibleDescription(tr("Подключить как"));
    auto* slot_label = new QLabel(tr("Подключить как"), this);
    slot_label->setBuddy(slot_choice_);
    type_choice_ = new QComboBox(this);
    type_choice_->setAccessibleDescription(tr("Тип телефона"));
    // The phone search's names of the phone types.
    type_choice_->addItem(tr("GSM телефон"), int(blackboard::PhoneType::Gsm));
    type_choice_->addItem(tr("CDMA телефон"), int(blackboard::PhoneType::Cdma));
    type_choice_->addItem(tr("Проводной модем"), int(blackboard::PhoneType::Provod));
    accept_ = new QPushButton(tr("Подключить"), this);
    decline_ = new QPushButton(tr("Не подключать"), this);
    connect(accept_, &QPushButton::clicked, this, &PlugNotice::on_accept);
    connect(decline_, &QPushButton::clicked, this, &PlugNotice::on_decline);

    // The notice on its own line, so that a long model and device name is
    // read whole; the choices below it.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(2);
    layout->addWidget(text_);
    auto* choices = new QHBoxLayout;
    choices->addStretch(1);
    choices->addWidget(slot_label);
    choices->addWidget(slot_choice_);
    choices->addWidget(type_choice_);
    choices->addWidget(accept_);
    choices->addWidget(decline_);
    layout->addLayout(choices);
    hide();
}

void PlugNotice::add(const PhoneOffer& offer)
{
    waiting_.removeIf([&](const PhoneOffer& shown) { return same_device(shown, offer.device); });
    waiting_.append(offer);
    if (waiting_.size() == 1)
        show_first();
}

void PlugNotice::remove(const SerialDevice& device)
{
    const bool first = !waiting_.isEmpty() && same_device(waiting_.first(), device);
    waiting_.removeIf([&](const PhoneOffer& offer) { return same_device(offer, device); });
    if (first)
        show_first();
}

void PlugNotice::answered(const PhoneOffer& offer)
{
    remove(offer.device);
}

void PlugNotice::show_first()
{
    if (waiting_.isEmpty()) {
        hide();
        return;
    }
    const PhoneOffer& offer = waiting_.first();
    text_->setText(main_window::offer_text(offer));
    slot_choice_->clear();
    for (int slot : offer.free_slots)
        slot_choice_->addItem(tr("Телефон %1").arg(slot), slot);
    type_choice_->setCurrentIndex(0);
    show();
    raise();
}

void PlugNotice::on_accept()
{
    if (waiting_.isEmpty())
        return;
    const PhoneOffer offer = waiting_.takeFirst();
    const int slot = slot_choice_->currentData().toInt();
    const auto type = static_cast<blackboard::PhoneType>(type_choice_->currentData().toInt());
    show_first();
    emit accepted(offer, slot, type);
}

void PlugNotice::on_decline()
{
    if (waiting_.isEmpty())
        return;
    const PhoneOffer offer = waiting_.takeFirst();
    show_first();
    emit declined(offer);
}
