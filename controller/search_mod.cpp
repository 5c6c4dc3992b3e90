#include "controller/search_mod.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "blackboard/keys.h"
#include "controller/controller.h"
#include "platform/enter_presses.h"
#include "platform/messages.h"
#include "serial/stable_names.h"

namespace kestrum {

namespace {
// The phone types in the order of the choices.
const QString kTypes[] = {blackboard::kGsm, blackboard::kCdma, blackboard::kProvod};

QPushButton* add_button(QHBoxLayout* row, QWidget* parent, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    platform::press_on_enter(button);
    row->addWidget(button);
    return button;
}
}  // namespace

SearchMod::SearchMod(Controller& controller, QWidget* parent)
    : QDialog(parent), controller_(controller), search_(controller)
{
    setWindowTitle(tr("Поиск телефонов"));
    build_controls();
    connect(port_box_, &QLineEdit::textChanged, this, &SearchMod::port_text_changed);
    connect(found_list_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { entry_clicked(item); });
    connect(found_list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { entry_double_clicked(item); });
    connect(types_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            search_.choose_type(kTypes[id]);
    });
    connect(stop_button_, &QPushButton::clicked, this, [this] { search_.stop(); });
    connect(repeat_button_, &QPushButton::clicked, this, &SearchMod::run_search);
    connect(close_button_, &QPushButton::clicked, this, &QWidget::hide);
    connect(connect_button_, &QPushButton::clicked, this, &SearchMod::press_connect);
}

void SearchMod::build_controls()
{
    auto* layout = new QVBoxLayout(this);
    status_label_ = new QLabel(this);
    status_label_->setObjectName(QStringLiteral("status_label"));
    status_label_->setStyleSheet(QStringLiteral("color: green;"));
    layout->addWidget(status_label_);
    progress_label_ = new QLabel(this);
    progress_label_->setObjectName(QStringLiteral("progress_label"));
    layout->addWidget(progress_label_);
    layout->addWidget(new QLabel(tr("Найденные порты модемов:"), this));
    // The device beside the model tells two phones of one model apart;
    // as a column of its own, a screen reader reads it as its own cell.
    found_list_ = new QTreeWidget(this);
    found_list_->setObjectName(QStringLiteral("List1"));
    found_list_->setRootIsDecorated(false);
    found_list_->setHeaderLabels({tr("Телефон"), tr("Устройство")});
    layout->addWidget(found_list_);

    auto* port_row = new QHBoxLayout;
    layout->addLayout(port_row);
    port_row->addWidget(new QLabel(tr("Выбранный порт:"), this));
    port_box_ = new QLineEdit(QStringLiteral("0"), this);
    port_box_->setObjectName(QStringLiteral("Text1"));
    port_row->addWidget(port_box_);

    layout->addWidget(new QLabel(tr("Подключить телефон как:"), this));
    types_ = new QButtonGroup(this);
    gsm_choice_ = new QRadioButton(tr("GSM телефон"), this);
    cdma_choice_ = new QRadioButton(tr("CDMA телефон"), this);
    wired_choice_ = new QRadioButton(tr("Проводной модем"), this);
    int id = 0;
    for (QRadioButton* choice : {gsm_choice_, cdma_choice_, wired_choice_}) {
        types_->addButton(choice, id++);
        layout->addWidget(choice);
    }

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    stop_button_ = add_button(buttons, this, tr("Остановить"));
    // Shown only while searching; the buttons beside it stay in place.
    QSizePolicy keeps_room = stop_button_->sizePolicy();
    keeps_room.setRetainSizeWhenHidden(true);
    stop_button_->setSizePolicy(keeps_room);
    stop_button_->hide();
    repeat_button_ = add_button(buttons, this, tr("Повторить поиск"));
    close_button_ = add_button(buttons, this, tr("Закрыть"));
    connect_button_ = add_button(buttons, this, tr("Подключить"));
}

void SearchMod::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Runs once the dialog is on screen (and, when opened modally, inside
    // its own event loop), not inside the show call.
    QMetaObject::invokeMethod(this, &SearchMod::opening_steps, Qt::QueuedConnection);
}

void SearchMod::opening_steps()
{
    if (!isVisible())
        return;
    select_type(search_.read_type());
    const QString port_text = QString::number(controller_.state().port_1);
    if (port_box_->text() != port_text)
        port_box_->setText(port_text);
    // Opened again while the search it started goes on (after "Закрыть"):
    // that search goes on showing here.
    if (!search_.running())
        run_search();
}

void SearchMod::select_type(const QString& type)
{
    for (int id = 0; id < 3; ++id) {
        if (type == kTypes[id]) {
            types_->button(id)->setChecked(true);  // writes the type back when it was not selected
            return;
        }
    }
    // Another text selects no choice.
    types_->setExclusive(false);
    for (QAbstractButton* choice : types_->buttons())
        choice->setChecked(false);
    types_->setExclusive(true);
}

void SearchMod::run_search()
{
    PhoneSearch::Observer observer;
    observer.began = [this] {
        repeat_button_->hide();
        connect_button_->hide();
        stop_button_->show();
    };
    observer.listing = [this] {
        found_list_->clear();
        status_label_->setText(tr("Подождите, выполняется поиск...."));
    };
    observer.asking = [this](int port) {
        progress_label_->setText(tr("%1 из 256").arg(port));
    };
    observer.found = [this](int port, const QString& model) {
        auto* entry = new QTreeWidgetItem(found_list_, {QString::number(port) + QStringLiteral(" - ") + model,
                                                         port_display_name(port)});
        entry->setData(0, Qt::UserRole, port);
    };
    observer.ended = [this] {
        progress_label_->setText(tr("Готово!"));
        status_label_->clear();
        repeat_button_->show();
        connect_button_->show();
        stop_button_->hide();
    };
    search_.run(observer);
}

void SearchMod::port_text_changed(const QString& text)
{
    if (search_.take_port_text(text)) {
        port_box_->setPalette(QPalette());
        return;
    }
    QPalette red = port_box_->palette();
    red.setColor(QPalette::Base, QColor(255, 0, 0));
    port_box_->setPalette(red);
}

void SearchMod::entry_clicked(QTreeWidgetItem* item)
{
    port_box_->setText(QString::number(item->data(0, Qt::UserRole).toInt()));
}

void SearchMod::entry_double_clicked(QTreeWidgetItem* item)
{
    const int port = item->data(0, Qt::UserRole).toInt();
    if (port == 0) {
        platform::show_message(tr("Телефон не подключен!"), platform::MessageIcon::None);
        return;
    }
    port_box_->setText(QString::number(port));
    if (search_.connect_entry(port))
        hide();
}

void SearchMod::press_connect()
{
    if (!search_.connect_port(port_box_->text())) {
        platform::show_message(tr("Телефон не подключен!"), platform::MessageIcon::None);
        return;
    }
    hide();
}

}  // namespace kestrum
