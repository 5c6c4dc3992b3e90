#include <QCoreApplication>
#include <QLoggingCategory>

#include "tools/vekorra-sms/sms_tool.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The tool says itself, in one line, why the store cannot be used.
    QLoggingCategory::setFilterRules(QStringLiteral("vekorra.journal.warning=false"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return sms_tool::run_command(args, stdin, stdout, stderr);
}
