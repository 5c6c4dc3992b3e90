#include <QCoreApplication>
#include <QLoggingCategory>

#include "tools/vekorra-journal/journal_tool.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The tool says itself, in one line, why the journal cannot be used.
    QLoggingCategory::setFilterRules(QStringLiteral("vekorra.journal.warning=false"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return journal_tool::run_command(args, stdout, stderr);
}
