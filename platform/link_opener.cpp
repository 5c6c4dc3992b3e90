#include "platform/link_opener.h"

#include <QProcess>

namespace platform {

namespace {
// xdg-open without a handler for the scheme ends within milliseconds; a
// handler that is still running after this long has taken the address.
constexpr int kHandlerGraceMs = 1000;
}  // namespace

OpenResult XdgLinkOpener::open_address(const QString& address)
{
    auto* process = new QProcess;
    process->setProgram(QStringLiteral("xdg-open"));
    process->setArguments({address});
    process->setStandardInputFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(kHandlerGraceMs)) {
        const int code = static_cast<int>(process->error()) + 1;
        delete process;
        return {false, code};
    }
    if (process->waitForFinished(kHandlerGraceMs)) {
        const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
        const int code = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : 1;
        delete process;
        return {ok, ok ? 0 : code};
    }
    // Still running: the handler works on; reap it whenever it ends.
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return {true, 0};
}

namespace {
XdgLinkOpener xdg_link_opener;
LinkOpener* current_opener = &xdg_link_opener;
}  // namespace

LinkOpener& link_opener() { return *current_opener; }

void set_link_opener(LinkOpener* replacement)
{
    current_opener = replacement ? replacement : &xdg_link_opener;
}

}  // namespace platform
