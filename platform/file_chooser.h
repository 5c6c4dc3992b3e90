#pragma once
#include <QString>

namespace platform {

// Where the user wants a file written: the desktop's "save as" dialog in a
// program with windows. Tests install one that answers a path of theirs.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen path; "" when the user cancelled. `suggested` is the name
    // offered first, `filter` the dialog's file types ("CSV (*.csv)").
    virtual QString save_path(const QString& caption, const QString& suggested, const QString& filter) = 0;
    // The file the user wants read; "" when cancelled (and where nobody
    // can be asked).
    virtual QString open_path(const QString& caption, const QString& filter)
    {
        Q_UNUSED(caption);
        Q_UNUSED(filter);
        return QString();
    }
};

// Chooses nothing: the default until a program with windows installs its
// dialog.
class NoFileChooser : public FileChooser {
public:
    QString save_path(const QString&, const QString&, const QString&) override { return QString(); }
};

FileChooser& file_chooser();
void set_file_chooser(FileChooser* replacement);  // nullptr restores the default

}  // namespace platform
