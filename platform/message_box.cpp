#include "platform/message_box.h"

#include <QMessageBox>

namespace platform {

void BoxMessages::show(const QString& caption, const QString& text, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    caption, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace platform
