// lk7: the program's operations without a window.

#include "cli/commands.h"

#include <QCoreApplication>

namespace {

int usage()
{
    err() << "использование: lk7 КОМАНДА [АРГУМЕНТЫ]" << Qt::endl;
    for (const Subcommand &command : subcommands())
        err() << "  lk7 " << command.name << ' ' << command.synopsis << Qt::endl;
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return usage();
    const QString name = arguments.takeFirst();
    for (const Subcommand &command : subcommands()) {
        if (name == QLatin1String(command.name))
            return command.run(arguments);
    }
    err() << "lk7: неизвестная команда " << name << Qt::endl;
    return usage();
}
