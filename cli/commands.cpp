#include "cli/commands.h"

#include <cstdio>

const QList<Subcommand> &subcommands()
{
    static const QList<Subcommand> all = {
        {"receive", "[--com1 DEV] [--com2 DEV] [--force] ARCHIVE.db", runReceive},
        {"append", "[--com1 DEV] [--com2 DEV] ARCHIVE.db", runAppend},
        {"info", "ARCHIVE.db", runInfo},
        {"receive-image", "[--com1 DEV] [--com2 DEV] OUT.bin", runReceiveImage},
    };
    return all;
}

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usageError(const char *name, const QString &problem)
{
    if (!problem.isEmpty())
        err() << "lk7 " << name << ": " << problem << Qt::endl;
    for (const Subcommand &command : subcommands()) {
        if (qstrcmp(command.name, name) == 0)
            err() << "использование: lk7 " << command.name << ' ' << command.synopsis << Qt::endl;
    }
    return 2;
}
