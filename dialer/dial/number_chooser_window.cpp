#include "dialer/dial/number_chooser_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "contacts/shown_names.h"
#include "dialer/dial/dispatcher.h"
#include "dialer/dial/number_chooser.h"
#include "dialer/dial/operators_telefons.h"

Dialog::Dialog(QWidget* parent)
    : QDialog(parent),
      List1(new QListWidget(this)),
      OKButton(new QPushButton(tr("Позвонить"), this)),
      CancelButton(new QPushButton(tr("Отмена"), this))
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(tr("Выбор номера"));
    List1->setObjectName(QStringLiteral("List1"));
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    OKButton->setDefault(true);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(List1, 1);
    layout->addLayout(buttons);
    resize(360, 200);

    connect(OKButton, &QPushButton::clicked, this, &Dialog::take_selected);
    connect(List1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        List1->setCurrentItem(item);
        take_selected();
    });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void Dialog::load(const QString& a_nomer)
{
    b_nomer_.clear();
    List1->clear();
    // A contact's number shows its name first ("Мама 0671234567"); the
    // number itself is what is chosen.
    for (const QString& number : candidate_numbers(a_nomer)) {
        auto* item = new QListWidgetItem(contacts::with_name(number), List1);
        item->setData(Qt::UserRole, number);
    }
    if (List1->count() > 0)
        List1->setCurrentRow(0);
}

QString Dialog::choose(const QString& a_nomer)
{
    load(a_nomer);
    exec();
    return b_nomer_;
}

void Dialog::take_selected()
{
    const QListWidgetItem* selected = List1->currentItem();
    b_nomer_ = selected && selected->isSelected() ? selected->data(Qt::UserRole).toString() : QString();
    accept();
}

namespace {

class DialogChooser : public NumberChooser {
public:
    QString choose(const QString& a_nomer) override
    {
        Dialog dialog(QApplication::activeWindow());
        return dialog.choose(a_nomer);
    }
};

DialogChooser dialog_chooser;

void show_busy_pointer(bool busy)
{
    // Pointers belong to a GUI application; a Core-only one has none.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

}  // namespace

void install_number_chooser()
{
    set_number_chooser(&dialog_chooser);
    set_busy_pointer(&show_busy_pointer);
}
