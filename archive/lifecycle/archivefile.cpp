#include "archive/lifecycle/archivefile.h"

#include "archive/schema/archiveschema.h"
#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"

#include <QFileInfo>

namespace {

void pointAt(TDbf &table, const QString &path)
{
    const QFileInfo file(path);
    table.SetFilePath(file.absolutePath());
    table.SetTableName(file.fileName());
    table.SetFieldDefs(archiveFieldDefs());
}

} // namespace

void createArchiveFile(TDbf &table, const QString &path)
{
    table.Close();
    pointAt(table, path);
    table.CreateTable();
    table.Open();
}

quint8 openArchiveFile(TDbf &table, const QString &path)
{
    table.Close();
    pointAt(table, path);
    table.Open();
    try {
        return firstRowDeviceType(table);
    } catch (...) {
        table.Close();
        throw;
    }
}

quint8 firstRowDeviceType(TDbf &table)
{
    table.First();
    if (table.IsEmpty())
        return 0;
    const qint32 code = table.FieldByName(QStringLiteral("DEV_TYPE"))->AsInteger();
    if (code < 0 || code > 255)
        throw AppError(
            QStringLiteral("Код типа прибора %1 в первой строке архива вне пределов 0…255")
                .arg(code));
    return quint8(code);
}
