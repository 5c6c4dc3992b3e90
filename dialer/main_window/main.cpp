#include <QApplication>
#include <csignal>
#include <cstdlib>

#include "dialer/dial/dial_entry.h"
#include "dialer/dial/main_window_presence.h"
#include "dialer/dial/number_chooser_window.h"
#include "dialer/main_window/controllers.h"
#include "dialer/main_window/form_port.h"
#include "dialer/main_window/start_mode.h"
#include "language/translations.h"
#include "platform/file_dialog.h"
#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/termination.h"

int main(int argc, char** argv)
{
    // Started by a hand-over, this process inherits the standard output and
    // error of whoever started that one, often a pipe that nobody reads
    // once the hand-over has ended: a message or log line written there
    // must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    // Everything after the program name is a handed-over number text, never
    // options for Qt: Qt would take "-reverse" or "-stylesheet x" out of it
    // (and open a window instead of handing over) and abort on "-platform x".
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    int qt_argc = 1;
    QApplication app(qt_argc, argv);
    // Chosen once: a change of the setting counts from the next start.
    language::use_language(language::start_language(),
                           language::catalog_folder(main_window::installation_folder()));
    platform::set_program_title(QStringLiteral("Vekorra"));
    platform::BoxMessages box_messages;
    platform::set_messages(&box_messages);
    platform::DialogFileChooser file_dialog;
    platform::set_file_chooser(&file_dialog);
    install_number_chooser();

    const QString text = main_window::argument_text(arguments);
    const QString lock_name = main_window_lock_name();
    if (main_window::start_mode(text) == main_window::StartMode::HandOver) {
        // A running main window dials it, with its own messages and phones.
        if (main_window_runs() && platform::send_to_instance(lock_name, text))
            return 0;
        // No window and no timers: a hidden process must not consume the
        // incoming-call announcements meant for the main window.
        return call_number(text, DialCaller::HandOver) == DialOutcome::NotHandedOver ? 1 : 0;
    }

    // One main window per user and store: the running one comes forward.
    if (main_window_runs()) {
        platform::send_to_instance(lock_name, QString());
        return 0;
    }
    FormPort window(main_window::installation_folder());
    // Another start took the lock in between.
    if (!window.holds_main_window_lock()) {
        platform::send_to_instance(lock_name, QString());
        return 0;
    }
    window.start_up();
    window.show();
    // Ended by the desktop's session or by a signal, the dialer still
    // withdraws its controllers' permission as its window's close does.
    platform::on_termination_request([] {
        main_window::withdraw_run_permissions();
        std::_Exit(0);
    });
    return app.exec();
}
