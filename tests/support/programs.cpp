#include "programs.h"

#include <QProcess>

QString run_program(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment, int timeout_ms)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return {};
    if (!process.waitForFinished(timeout_ms)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QStringLiteral("") + QString::fromUtf8(process.readAllStandardOutput());
}

ToolRun run_tool(const QString& program, const QStringList& arguments, int timeout_ms, const QByteArray& input)
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    ToolRun run;
    if (!process.waitForFinished(timeout_ms)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
