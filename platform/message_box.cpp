#include "platform/message_box.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {

struct Text {
    Q_DECLARE_TR_FUNCTIONS(Messages)
};

}  // namespace

void BoxMessages::show(const QString& caption, const QString& text, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    caption, text, QMessageBox::Ok);
    box.exec();
}

bool BoxMessages::ask(const QString& caption, const QString& text, const QString& confirm)
{
    QMessageBox box(QMessageBox::Question, caption, text);
    QPushButton* yes = box.addButton(confirm, QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(Text::tr("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace platform
