#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace kestrum {

class ManualDial;

// "Набор номера": the number to dial, or to add to a conference. Created on
// first use and only hidden between uses; its box is empty whenever it
// opens.
class DialWindow : public QDialog {
    Q_OBJECT

public:
    explicit DialWindow(ManualDial& dial, QWidget* parent = nullptr);

    QLineEdit* number_box() const { return number_box_; }

    // Escape and the window's close button count as "Отмена": otherwise the
    // engine timer would stay stopped.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void press_call();
    void press_cancel();

    ManualDial& dial_;
    QLabel* prompt_;
    QLineEdit* number_box_;
    QPushButton* call_button_;
    QPushButton* cancel_button_;
};

}  // namespace kestrum
