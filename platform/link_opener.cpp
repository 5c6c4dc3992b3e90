#include "platform/link_opener.h"

#include <QProcess>

namespace platform {

namespace {
// xdg-open without a handler for the scheme ends within milliseconds; a
// handler that is still running after this long has taken the address.
constexpr int kHandlerGraceMs = 1000;
// xdg-open's own status for "no method available for opening".
constexpr int kNoHandlerStatus = 3;

// Web addresses fall back to whatever browser xdg-open finds; every other
// scheme needs a registered handler. Without one, xdg-open tries a long list
// of browsers before it gives up, which on a busy machine outlasts the grace
// period and would look like success, so ask xdg-mime first.
bool scheme_has_no_handler(const QString& address)
{
    const QString scheme = address.section(QLatin1Char(':'), 0, 0).toLower();
    if (scheme.isEmpty() || scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("file"))
        return false;
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"),
                 QStringLiteral("x-scheme-handler/") + scheme});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit) {
        query.kill();
        query.waitForFinished(1000);
        return false;  // cannot tell: let xdg-open decide
    }
    return query.readAllStandardOutput().trimmed().isEmpty();
}
}  // namespace

OpenResult XdgLinkOpener::open_address(const QString& address)
{
    if (scheme_has_no_handler(address))
        return {false, kNoHandlerStatus};
    auto* process = new QProcess;
    process->setProgram(QStringLiteral("xdg-open"));
    process->setArguments({address});
    process->setStandardInputFile(QProcess::nullDevice());
    // Nobody reads what the handler prints, and a hand-over process ends
    // long before a handler that runs on: pipes to it would break under the
    // handler's feet.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
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
