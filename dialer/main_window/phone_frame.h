#pragma once
#include <QGroupBox>
#include <QPointer>
#include <array>

#include "dialer/main_window/keypad_window.h"
#include "dialer/main_window/skin_button.h"
#include "dialer/main_window/status_pass.h"

class QPlainTextEdit;

// The frame of one serial phone slot: its display `ekran`, its eleven call
// buttons and six placeholders, the hover marks of its buttons, and the
// keypad button that opens the slot's tone keypad while a call is active.
class PhoneFrame : public QGroupBox {
    Q_OBJECT

public:
    PhoneFrame(int slot, SkinPictures& pictures, QWidget* parent);
    int slot() const { return slot_; }

    // Sets what the status pass reached; controls it did not reach keep
    // what they show. Unchanged text or colour is not repainted.
    void apply(const main_window::SlotView& view);
    void load_initial_pictures();
    // Shows the normal picture of every button the pointer has been over
    // since the last restore, and clears those marks.
    void restore_pictures();

    QPlainTextEdit* ekran() const { return ekran_; }
    QString display_text() const { return display_.text; }
    main_window::DisplayColour display_colour() const { return display_.colour; }
    SkinButton* button(main_window::CallButton which) const;
    SkinPlaceholder* placeholder(main_window::Placeholder which) const;
    int hover_mark(main_window::CallButton which) const;
    SkinButton* keypad_button() const { return keypad_button_; }
    // The open keypad window, or nullptr.
    KeypadWindow* keypad_window() const { return keypad_window_; }

signals:
    // The pointer moved over the frame's own surface, not over a control.
    void surface_hovered();
    void button_clicked(int slot, main_window::CallButton button);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void set_tab_order();
    void show_display(const main_window::DisplayState& state);
    void offer_keypad(bool call_active);
    void open_keypad();

    int slot_;
    SkinPictures& pictures_;
    QPlainTextEdit* ekran_;
    main_window::DisplayState display_;
    std::array<SkinButton*, main_window::kCallButtonCount> buttons_{};
    std::array<SkinPlaceholder*, main_window::kPlaceholderCount> placeholders_{};
    std::array<int, main_window::kCallButtonCount> hover_marks_{};
    SkinButton* keypad_button_;
    bool keypad_hovered_ = false;
    QPointer<KeypadWindow> keypad_window_;
};
