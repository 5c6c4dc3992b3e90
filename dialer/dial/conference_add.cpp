#include "dialer/dial/conference_add.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "dialer/dial/conference_add_window.h"
#include "dialer/dial/dial_log.h"
#include "blackboard/slot.h"
#include "dialer/dial/reestr.h"
#include "platform/messages.h"

namespace {

// "OK" and "Cancel" are the texts of Qt's own buttons, so Qt's catalog has
// them in the windows' language (a context held in a variable keeps them
// out of the program's own catalog).
QString qt_button_text(const char* text)
{
    static const char* const qt_buttons = "QPlatformTheme";
    return QCoreApplication::translate(qt_buttons, text);
}

}  // namespace

Dob_kf::Dob_kf(int slot, QWidget* parent)
    : QDialog(parent),
      slot_(slot),
      Text1(new QLineEdit(this)),
      OKButton(new QPushButton(qt_button_text("OK"), this)),
      CancelButton(new QPushButton(qt_button_text("Cancel"), this))
{
    setObjectName(QStringLiteral("Dob_kf%1").arg(slot));
    setWindowTitle(caption(slot));
    setModal(false);
    Text1->setObjectName(QStringLiteral("Text1"));
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    OKButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text1);
    layout->addLayout(buttons);
    resize(420, 90);

    connect(OKButton, &QPushButton::clicked, this, &Dob_kf::send_number);
    // Cancel, Escape and the close box only hide: the text stays for the
    // next opening.
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QString Dob_kf::caption(int slot)
{
    // Phone 2's window has always said "телефона" where the others say
    // "абонента".
    return slot == 2 ? tr("Добавление телефона в конференцию (Телефон %1)").arg(slot)
                     : tr("Добавление абонента в конференцию (Телефон %1)").arg(slot);
}

void Dob_kf::send_number()
{
    // As typed: an empty text withdraws a request the controller has not
    // yet taken.
    qCInfo(lcDial).noquote() << "conference add, phone" << slot_ << "number" << Text1->text();
    if (!blackboard::Slot(slot_).set_pozvonit(Text1->text())) {
        // The text stays for another try once the store can be written.
        platform::show_message(tr("Не удалось передать номер телефону!"));
        return;
    }
    Text1->clear();
    hide();
}

namespace {
std::array<QPointer<Dob_kf>, 4> windows;
}  // namespace

Dob_kf* conference_add_window(int slot)
{
    if (slot < 1 || slot > 4)
        return nullptr;
    return windows[slot - 1];
}

void show_conference_add_window(int slot, QWidget* parent)
{
    if (slot < 1 || slot > 4) {
        qCWarning(lcDial) << "no conference-add window for phone" << slot;
        return;
    }
    QPointer<Dob_kf>& window = windows[slot - 1];
    if (!window)
        window = new Dob_kf(slot, parent);
    window->show();
    window->raise();
    window->activateWindow();
}
