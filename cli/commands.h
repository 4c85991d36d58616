#pragma once

#include <QStringList>
#include <QTextStream>

// A subcommand of lk7: its name, its argument synopsis and its function, which gets the
// arguments after the name and returns the exit status (0 only on success).
struct Subcommand
{
    const char *name;
    const char *synopsis;
    int (*run)(const QStringList &arguments);
};

// Every subcommand, in the order the usage lists them.
const QList<Subcommand> &subcommands();

// Streams on the process's standard output and error, UTF-8.
QTextStream &out();
QTextStream &err();

// Prints "использование: lk7 NAME SYNOPSIS" for the named subcommand on stderr; returns 2.
int usageError(const char *name, const QString &problem);

int runReceive(const QStringList &arguments);
int runAppend(const QStringList &arguments);
int runInfo(const QStringList &arguments);
int runReceiveImage(const QStringList &arguments);
