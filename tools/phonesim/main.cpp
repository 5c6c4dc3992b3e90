// phonesim: a phone or modem on a pseudo-terminal (see --help).
#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "control_client.h"
#include "control_server.h"
#include "options.h"
#include "phone.h"
#include "pty_line.h"
#include "sim_log.h"

namespace {

int signal_pipe[2] = {-1, -1};

// SIGTERM and SIGINT end the event loop, so that the link and the control
// socket are removed on the way out.
void on_signal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signal_pipe[1], &byte, 1);
}

void catch_signals(QCoreApplication* app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signal_pipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

void announce(const PtyLine& line)
{
    printf("ready %s\n", qPrintable(line.link_path()));
    fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        printf("%s", phonesim_help);
        return 0;
    }
    if (!args.isEmpty() && (args[0] == QLatin1String("--send") || args[0] == QLatin1String("ctl"))) {
        if (args.size() < 3) {
            fprintf(stderr, "usage: phonesim --send CONTROL_PATH LINE...\n");
            return 2;
        }
        return run_control_client(args[1], args.mid(2).join(QLatin1Char(' ')));
    }
    SimOptions options;
    const QString problem = parse_options(args, &options);
    if (!problem.isEmpty()) {
        fprintf(stderr, "phonesim: %s (see --help)\n", qPrintable(problem));
        return 2;
    }
    if (options.exit_with_parent) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() == 1)
            return 0;
    }
    catch_signals(&app);

    SimLog log;
    if (!options.log_path.isEmpty() && !log.open(options.log_path)) {
        fprintf(stderr, "phonesim: cannot write the log %s\n", qPrintable(options.log_path));
        return 1;
    }
    PtyLine line;
    QString error;
    QDir().mkpath(options.ports_dir);
    if (!line.open(options.ports_dir, options.port, &error)) {
        fprintf(stderr, "phonesim: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&line, &PtyLine::client_opened, &app, [&log](int opens) {
        log.write("EV", "line opened " + QByteArray::number(opens));
    });
    QObject::connect(&line, &PtyLine::client_closed, &app, [&log](int opens) {
        log.write("EV", "line closed " + QByteArray::number(opens));
    });
    Phone phone(options, &line, &log);
    QString refused = options.phonebook_file.isEmpty() ? QString() : phone.phonebook().load(options.phonebook_file);
    for (const QString& contact : options.contacts)
        if (refused.isEmpty())
            refused = phone.phonebook().add(contact);
    for (const QString& quirk : options.phonebook_quirks)
        phone.phonebook().set_quirk(quirk);
    if (!refused.isEmpty()) {
        fprintf(stderr, "phonesim: %s\n", qPrintable(refused));
        return 2;
    }
    ControlServer control(&phone, &line, &log);
    if (!control.listen(options.control_path, &error)) {
        fprintf(stderr, "phonesim: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&control, &ControlServer::quit_requested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&control, &ControlServer::reconnect_requested, &app, [&](QString* why) {
        if (line.open(options.ports_dir, options.port, why))
            announce(line);
    });
    log.write("EV", QStringLiteral("start %1 %2 %3")
                        .arg(mode_name(options.mode), line.link_path(), line.slave_path())
                        .toUtf8());
    phone.start_scripted_events();
    announce(line);
    const int status = app.exec();
    log.write("EV", "exit");
    QLocalServer::removeServer(options.control_path);
    return status;
}
