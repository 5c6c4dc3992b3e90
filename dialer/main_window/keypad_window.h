#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;

// The tone keypad of one phone: keys 1-9, *, 0, # in a 4 by 3 grid; the
// same characters typed on the keyboard press them while the window has
// the focus. Each press hands one tone to the slot's controller; the line
// above the keys shows the tones handed over since the window opened.
class KeypadWindow : public QDialog {
    Q_OBJECT

public:
    KeypadWindow(int slot, const QString& phone_title, QWidget* parent);
    int slot() const { return slot_; }
    QString sent() const;
    QPushButton* key_button(QChar key) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void press(QChar key);

    int slot_;
    QLineEdit* sent_;
    QList<QPushButton*> keys_;
};
