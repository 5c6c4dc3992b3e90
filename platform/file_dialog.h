#pragma once
#include "platform/file_chooser.h"

namespace platform {

// The desktop's "save as" and "open" dialogs (Qt Widgets), over the active window.
// Programs with windows install it with set_file_chooser() at start.
class DialogFileChooser : public FileChooser {
public:
    QString save_path(const QString& caption, const QString& suggested, const QString& filter) override;
    QString open_path(const QString& caption, const QString& filter) override;
};

}  // namespace platform
