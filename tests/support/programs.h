#pragma once
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs a program to its end in the given environment; its standard output
// (empty but not null when it printed nothing), or a null string on failure
// (not started, non-zero exit, timeout).
QString run_program(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                    int timeout_ms = 10000);

// A command-line tool's whole answer: exit code (-1 when it crashed or
// did not end in time) and both outputs.
struct ToolRun {
    int exit_code = -1;
    QString out, err;
};
// What `input` holds is the tool's standard input, closed after it.
ToolRun run_tool(const QString& program, const QStringList& arguments, int timeout_ms = 30000,
                 const QByteArray& input = QByteArray());
