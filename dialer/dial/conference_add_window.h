#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;

// The conference-add window of phone slot 1 to 4 (Dob_kf1 to Dob_kf4): the
// typed text goes straight into the slot's pozvonit, as typed, for its
// controller to dial during the call in progress.
class Dob_kf : public QDialog
{
    Q_OBJECT

public:
    explicit Dob_kf(int slot, QWidget* parent = nullptr);
    int slot() const { return slot_; }

    static QString caption(int slot);

private:
    void send_number();

    int slot_;
    QLineEdit* Text1;
    QPushButton* OKButton;
    QPushButton* CancelButton;
};

// The slot's window once show_conference_add_window() created it, else
// nullptr.
Dob_kf* conference_add_window(int slot);
