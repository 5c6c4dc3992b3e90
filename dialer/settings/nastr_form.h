#pragma once
#include <QDialog>

class MainWindowLink;

// The dialer's settings window "Настройки программы".
class Nastr_form : public QDialog
{
    Q_OBJECT

public:
    explicit Nastr_form(MainWindowLink& main_window, QWidget* parent = nullptr);
    MainWindowLink& main_window() const { return main_window_; }

private:
    MainWindowLink& main_window_;
};
