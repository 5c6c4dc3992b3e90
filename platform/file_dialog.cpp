#include "platform/file_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace platform {

QString DialogFileChooser::save_path(const QString& caption, const QString& suggested, const QString& filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption,
                                        QDir::home().filePath(suggested), filter);
}

QString DialogFileChooser::open_path(const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, QDir::homePath(), filter);
}

}  // namespace platform
