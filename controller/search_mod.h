#pragma once
#include <QDialog>

#include "controller/phone_search.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrum {

class Controller;

// "Поиск телефонов": lists the ports where a phone answered and connects
// the slot's phone on the chosen port as the chosen type. Created at its
// first opening, only hidden afterwards; every opening starts a search.
class SearchMod : public QDialog {
    Q_OBJECT

public:
    explicit SearchMod(Controller& controller, QWidget* parent = nullptr);

    PhoneSearch& search() { return search_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build_controls();
    void opening_steps();
    void select_type(const QString& type);
    void run_search();
    void port_text_changed(const QString& text);
    void entry_clicked(QTreeWidgetItem* item);
    void entry_double_clicked(QTreeWidgetItem* item);
    void press_connect();

    Controller& controller_;
    PhoneSearch search_;
    QLabel* status_label_;
    QLabel* progress_label_;
    QTreeWidget* found_list_;  // "N - model", device
    QLineEdit* port_box_;
    QButtonGroup* types_;
    QRadioButton* gsm_choice_;
    QRadioButton* cdma_choice_;
    QRadioButton* wired_choice_;
    QPushButton* stop_button_;
    QPushButton* repeat_button_;
    QPushButton* close_button_;
    QPushButton* connect_button_;
};

}  // namespace kestrum
