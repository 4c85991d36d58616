#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class TDbf;

// One row of a test archive; an invalid QVariant leaves the field empty.
struct TestRow
{
    int nbType = 1;
    QVariant p;
    QVariant r;
    int n = 0;
    QString date = QStringLiteral("01.02.2024");
    QString time = QStringLiteral("10:00:00");
    int devType = 80;
    QString comment = QString();
};

// Creates an archive file with the program's schema in dir and appends the rows; returns its path.
QString makeTestArchive(const QString &dir, const QString &fileName, const QList<TestRow> &rows);

// Opens an archive with the program's schema in the table object, as the program does.
void openTestArchive(TDbf &table, const QString &path);
