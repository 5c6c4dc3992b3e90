#pragma once
#include <QDialog>
#include <QString>

class QListWidget;
class QListWidgetItem;
class QPushButton;

// "Выбор номера": lists the candidate numbers of a text, the first one
// selected; "Позвонить" or a double click takes the selected entry,
// "Отмена" (or the close box) takes nothing.
class Dialog : public QDialog
{
    Q_OBJECT

public:
    explicit Dialog(QWidget* parent = nullptr);

    // Fills the list afresh from a_nomer and forgets any earlier choice.
    void load(const QString& a_nomer);
    // The chosen clean number; "" until chosen or after "Отмена".
    QString b_nomer() const { return b_nomer_; }

    // load(), then runs modally; returns b_nomer().
    QString choose(const QString& a_nomer);

private:
    void take_selected();

    QListWidget* List1;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QString b_nomer_;
};

// Makes pick_number() ask through Dialog and open_link() show the busy
// pointer. Every dialer process installs it at start, the hand-over process
// too: it has an application object and may have to ask.
void install_number_chooser();
