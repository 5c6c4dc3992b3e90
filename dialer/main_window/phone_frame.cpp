#include "dialer/main_window/phone_frame.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <algorithm>

#include "dialer/main_window/keypad_window.h"

using main_window::CallButton;
using main_window::Placeholder;
using main_window::SkinRole;

namespace {

QString frame_caption(int slot)
{
    // The third frame's caption is written without a space.
    return slot == 3 ? PhoneFrame::tr("Телефон3") : PhoneFrame::tr("Телефон %1").arg(slot);
}

QColor to_qcolor(main_window::DisplayColour colour)
{
    const main_window::Rgb rgb = main_window::display_rgb(colour);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

void set_base_colour(QPlainTextEdit* display, main_window::DisplayColour colour)
{
    QPalette palette = display->palette();
    palette.setColor(QPalette::Base, to_qcolor(colour));
    display->setPalette(palette);
}

}  // namespace

PhoneFrame::PhoneFrame(int slot, SkinPictures& pictures, QWidget* parent)
    : QGroupBox(frame_caption(slot), parent),
      slot_(slot),
      pictures_(pictures),
      ekran_(new QPlainTextEdit(this)),
      keypad_button_(new SkinButton(main_window::SkinFamily::dtmf, QStringLiteral("dtmf_k"),
                                    tr("Тоновый набор"), pictures, this))
{
    setObjectName(QStringLiteral("Frame1_%1").arg(slot - 1));
    setMouseTracking(true);
    ekran_->setObjectName(QStringLiteral("ekran_%1").arg(slot - 1));
    // The keypad button stands right of the display.
    ekran_->setGeometry(8, 16, 281, 57);
    ekran_->setReadOnly(true);
    // Tab leaves the display for the call buttons; a screen reader names it
    // after its phone and reads its text.
    ekran_->setTabChangesFocus(true);
    ekran_->setAccessibleName(tr("Экран: ") + title());
    set_base_colour(ekran_, display_.colour);

    // Placeholders first, so that the buttons of a position lie above them.
    for (int index = 0; index < main_window::kPlaceholderCount; ++index) {
        placeholders_[index] = new SkinPlaceholder(static_cast<Placeholder>(index), this);
        placeholders_[index]->hide();
    }
    for (int field = 0; field < main_window::kCallButtonCount; ++field) {
        auto* skin_button = new SkinButton(main_window::call_button(field), pictures_, this);
        buttons_[field] = skin_button;
        connect(skin_button, &SkinButton::hovered, this, [this, field] { hover_marks_[field] = 1; });
        connect(skin_button, &SkinButton::clicked, this,
                [this, field] { emit button_clicked(slot_, main_window::call_button(field)); });
    }
    keypad_button_->move(main_window::position_left(main_window::SkinFamily::dtmf), main_window::kKeypadTop);
    keypad_button_->setEnabled(false);
    connect(keypad_button_, &SkinButton::hovered, this, [this] { keypad_hovered_ = true; });
    connect(keypad_button_, &SkinButton::clicked, this, &PhoneFrame::open_keypad);
    set_tab_order();
}

void PhoneFrame::set_tab_order()
{
    // Tab goes from the display through the positions left to right.
    std::array<SkinButton*, main_window::kCallButtonCount> by_position = buttons_;
    std::stable_sort(by_position.begin(), by_position.end(), [](SkinButton* a, SkinButton* b) {
        return main_window::position_left(main_window::family_of(a->button()))
               < main_window::position_left(main_window::family_of(b->button()));
    });
    QWidget* previous = ekran_;
    for (SkinButton* skin_button : by_position) {
        setTabOrder(previous, skin_button);
        previous = skin_button;
    }
    setTabOrder(previous, keypad_button_);
}

SkinButton* PhoneFrame::button(CallButton which) const { return buttons_[main_window::field_of(which)]; }

SkinPlaceholder* PhoneFrame::placeholder(Placeholder which) const
{
    return placeholders_[static_cast<int>(which)];
}

int PhoneFrame::hover_mark(CallButton which) const { return hover_marks_[main_window::field_of(which)]; }

void PhoneFrame::load_initial_pictures()
{
    for (SkinPlaceholder* placeholder : placeholders_)
        placeholder->load_picture(pictures_);
    for (SkinButton* skin_button : buttons_)
        skin_button->show_picture(SkinRole::Normal);
    keypad_button_->show_picture(keypad_button_->isEnabled() ? SkinRole::Normal : SkinRole::Inactive);
}

void PhoneFrame::restore_pictures()
{
    for (int field = 0; field < main_window::kCallButtonCount; ++field) {
        if (hover_marks_[field] == 1) {
            buttons_[field]->show_picture(SkinRole::Normal);
            hover_marks_[field] = 0;
        }
    }
    if (keypad_hovered_ && keypad_button_->isEnabled())
        keypad_button_->show_picture(SkinRole::Normal);
    keypad_hovered_ = false;
}

void PhoneFrame::offer_keypad(bool call_active)
{
    if (keypad_button_->isEnabled() != call_active) {
        keypad_button_->setEnabled(call_active);
        keypad_button_->show_picture(call_active ? SkinRole::Normal : SkinRole::Inactive);
    }
    // Tones go only into an active call: the keypad leaves with the call.
    if (!call_active && keypad_window_)
        keypad_window_->close();
}

void PhoneFrame::open_keypad()
{
    if (!keypad_window_) {
        keypad_window_ = new KeypadWindow(slot_, title(), window());
        keypad_window_->show();
    }
    keypad_window_->raise();
    keypad_window_->activateWindow();
}

void PhoneFrame::show_display(const main_window::DisplayState& state)
{
    if (state.text != display_.text) {
        QString shown = state.text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        // A break after the last row would add an empty fourth line, and
        // with it a scroll bar, below three calls.
        while (shown.endsWith(QLatin1Char('\n')))
            shown.chop(1);
        ekran_->setPlainText(shown);
    }
    if (state.colour != display_.colour)
        set_base_colour(ekran_, state.colour);
    display_ = state;
}

void PhoneFrame::apply(const main_window::SlotView& view)
{
    if (view.display)
        show_display(*view.display);
    if (view.call_active)
        offer_keypad(*view.call_active);
    if (view.port_note && *view.port_note != ekran_->toolTip()) {
        ekran_->setToolTip(*view.port_note);
        ekran_->setAccessibleDescription(*view.port_note);
    }
    for (int field = 0; field < main_window::kCallButtonCount; ++field) {
        if (view.buttons[field] && buttons_[field]->isHidden() == *view.buttons[field])
            buttons_[field]->setVisible(*view.buttons[field]);
    }
    if (!view.placeholders)
        return;
    for (int index = 0; index < main_window::kPlaceholderCount; ++index) {
        const bool visible = (*view.placeholders)[index];
        if (placeholders_[index]->isHidden() == visible)
            placeholders_[index]->setVisible(visible);
    }
}

void PhoneFrame::mouseMoveEvent(QMouseEvent* event)
{
    // Movements over the display, the buttons or the placeholders are
    // passed up from those controls; only the bare surface restores.
    if (childAt(event->position().toPoint()) != nullptr) {
        event->ignore();
        return;
    }
    QGroupBox::mouseMoveEvent(event);
    event->accept();
    emit surface_hovered();
}
