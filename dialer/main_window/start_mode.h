#pragma once
#include <QString>
#include <QStringList>

namespace main_window {

inline constexpr char kProgramVersion[] = "2.1.3";

// The address of the product's download page, opened by the update link:
// the build option VEKORRA_UPDATE_URL. Empty (the default) hides the link.
QString download_page_url();

// The dialer's argument text: the command-line arguments after the program
// name joined by single spaces, so that `vekorra 8 (067) 123-45-67` and
// `vekorra "8 (067) 123-45-67"` hand over the same text.
QString argument_text(const QStringList& arguments_after_program);

enum class StartMode {
    HandOver,  // a number was handed over: dial it without a window, then end
    Window,    // open the main window and start the controllers
};

StartMode start_mode(const QString& argument_text);

}  // namespace main_window
