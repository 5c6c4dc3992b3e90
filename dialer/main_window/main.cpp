#include <QApplication>

#include "dialer/dial/dial_entry.h"
#include "dialer/dial/number_chooser_window.h"
#include "dialer/main_window/controllers.h"
#include "dialer/main_window/form_port.h"
#include "dialer/main_window/start_mode.h"
#include "platform/message_box.h"
#include "platform/messages.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    platform::set_program_title(QStringLiteral("Vekorra"));
    platform::BoxMessages box_messages;
    platform::set_messages(&box_messages);
    install_number_chooser();

    const QString text = main_window::argument_text(QApplication::arguments().mid(1));
    if (main_window::start_mode(text) == main_window::StartMode::HandOver) {
        // No window and no timers: a hidden process must not consume the
        // incoming-call announcements meant for the main window.
        call_number(text, DialCaller::HandOver);
        return 0;
    }

    FormPort window(main_window::installation_folder());
    window.start_up();
    window.show();
    return app.exec();
}
