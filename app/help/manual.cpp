#include "app/help/manual.h"

#include "platform/shared/apperror.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

namespace {

class DesktopViewer : public DocumentViewer
{
public:
    bool openDocument(const QString &path) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
};

DocumentViewer *g_installed = nullptr;

// One copy per run: a viewer may still hold the copy of an earlier call open.
QString readOnlyCopy(const QString &manualFile)
{
    static std::unique_ptr<QTemporaryDir> folder;
    if (!folder) {
        auto made = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/ortan-manual-XXXXXX");
        if (!made->isValid())
            throw AppError(QStringLiteral("Не удалось создать временную папку для руководства: ") +
                           made->errorString());
        folder = std::move(made);
    }
    const QString copy = folder->filePath(QFileInfo(manualFile).fileName());
    if (QFile::exists(copy))
        return copy;
    if (!QFile::copy(manualFile, copy))
        throw AppError(QStringLiteral("Не удалось скопировать руководство во временную папку:\n") +
                       copy);
    if (!QFile::setPermissions(copy, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther))
        throw AppError(QStringLiteral("Не удалось защитить от записи копию руководства:\n") + copy);
    return copy;
}

} // namespace

DocumentViewer &DocumentViewer::instance()
{
    if (!g_installed) {
        static DesktopViewer desktop;
        return desktop;
    }
    return *g_installed;
}

void DocumentViewer::install(DocumentViewer *viewer)
{
    g_installed = viewer;
}

QString manualPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ortan.rtf"));
}

void showManual(const QString &manualFile)
{
    if (!QFileInfo(manualFile).isFile())
        throw AppError(QStringLiteral("Не найден файл руководства оператора:\n") +
                       QDir::toNativeSeparators(manualFile));
    const QString copy = readOnlyCopy(manualFile);
    if (!DocumentViewer::instance().openDocument(copy))
        throw AppError(QStringLiteral("Не удалось открыть руководство оператора: не найдена "
                                      "программа для просмотра документов RTF."));
}
