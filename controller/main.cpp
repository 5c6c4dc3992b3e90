#include <QApplication>
#include <csignal>
#include <memory>

#include "controller/blackboard.h"
#include "controller/controller.h"
#include "controller/form_port.h"
#include "controller/slot_lock.h"
#include "language/translations.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/termination.h"
#include "serial/qt_serial_component.h"

int main(int argc, char* argv[])
{
    // Started by a dialer that a hand-over started, this process inherits
    // the standard output and error of whoever started the hand-over, often
    // a pipe that nobody reads once the hand-over has ended: a message or
    // log line written there must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    // A controller started by the dialer has no window of its own, so the
    // first message box it closes ("Отсутствует гудок") would count as the
    // last window and end the program behind the orderly end's back: only
    // the orderly end ends it.
    app.setQuitOnLastWindowClosed(false);
    // The dialer's choice of language, read from the store as the dialer
    // reads it; the catalogs lie beside the slot folders.
    language::use_language(language::start_language(),
                           language::catalog_folder(kestrum::executable_folder() + QStringLiteral("/..")));
    platform::set_program_title(QStringLiteral("Kestrum"));
    platform::BoxMessages boxes;
    platform::set_messages(&boxes);

    // One controller per slot folder; a second start ends writing nothing.
    if (!kestrum::acquire_slot_lock(kestrum::executable_folder()))
        return 0;

    // Only whether there are arguments matters: the dialer passes "0".
    const bool started_with_arguments = argc > 1;
    if (!started_with_arguments && kestrum::slot_identity() != kestrum::development_slot()) {
        kestrum::AboutWindow about;
        about.exec();
        return 0;
    }

    kestrum::Controller controller(std::make_unique<QtSerialComponent>());
    // Ended by the desktop's session or by a signal, the slot still
    // reports that its controller is gone.
    platform::on_termination_request([&controller] { controller.Exit_pr(); });
    controller.start(started_with_arguments);
    // A controller started by the dialer never has a window.
    std::unique_ptr<kestrum::FormPort> window;
    if (!started_with_arguments) {
        window = std::make_unique<kestrum::FormPort>(controller);
        window->show();
    }
    app.exec();
    controller.Exit_pr();  // whatever ended the event loop
    return 0;
}
