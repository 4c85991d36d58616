#include "tests/support/testarchive.h"

#include "archive/schema/archiveschema.h"
#include "platform/dbf/tdbf.h"

#include <QDir>
#include <QFileInfo>

void openTestArchive(TDbf &table, const QString &path)
{
    const QFileInfo info(path);
    table.SetFieldDefs(archiveFieldDefs());
    table.SetFilePath(info.absolutePath());
    table.SetTableName(info.fileName());
    table.Open();
}

QString makeTestArchive(const QString &dir, const QString &fileName, const QList<TestRow> &rows)
{
    TDbf table;
    table.SetFieldDefs(archiveFieldDefs());
    table.SetFilePath(dir);
    table.SetTableName(fileName);
    table.CreateTable();
    table.Open();
    for (const TestRow &row : rows) {
        table.Append();
        table.FieldByName(QStringLiteral("N"))->SetAsInteger(row.n);
        table.FieldByName(QStringLiteral("NB_TYPE"))->SetAsInteger(row.nbType);
        table.FieldByName(QStringLiteral("DEV_TYPE"))->SetAsInteger(row.devType);
        table.FieldByName(QStringLiteral("DATE"))->SetAsString(row.date);
        table.FieldByName(QStringLiteral("TIME"))->SetAsString(row.time);
        table.FieldByName(QStringLiteral("P"))->SetValue(row.p);
        table.FieldByName(QStringLiteral("R"))->SetValue(row.r);
        if (!row.comment.isEmpty())
            table.FieldByName(QStringLiteral("COMMENT"))->SetAsString(row.comment);
        table.Post();
    }
    table.Close();
    return QDir(dir).filePath(fileName);
}
