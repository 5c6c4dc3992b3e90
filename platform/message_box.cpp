#include "platform/message_box.h"

#include <QMessageBox>
#include <QPushButton>

namespace platform {

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
    QPushButton* no = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace platform
