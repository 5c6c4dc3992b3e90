#include <QCoreApplication>

#include "tools/vekorra-contacts/contacts_tool.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return contacts_tool::run_command(args, stdout, stderr);
}
