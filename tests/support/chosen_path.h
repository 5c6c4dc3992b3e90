#pragma once
#include "platform/file_chooser.h"

// The one file-chooser double of the tests: installs itself for its
// lifetime and answers every "save as" and "open" with `path` ("" is the
// user's cancel).
struct ChosenPath : platform::FileChooser {
    ChosenPath() { platform::set_file_chooser(this); }
    ~ChosenPath() override { platform::set_file_chooser(nullptr); }
    ChosenPath(const ChosenPath&) = delete;
    ChosenPath& operator=(const ChosenPath&) = delete;

    QString save_path(const QString&, const QString&, const QString&) override { return path; }
    QString open_path(const QString&, const QString&) override { return path; }

    QString path;
};
