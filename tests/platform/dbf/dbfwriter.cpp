// A second process for the durability and locking tests.
//   dbfwriter append PATH   appends rows without end, printing "posted <rows>" after each post
//   dbfwriter hold PATH     opens the table, prints "open" and holds it until stdin closes
// Exit status 3 with the error text on stderr when the table cannot be opened.

#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QFileInfo file(QString::fromLocal8Bit(argv[2]));
    TDbf t;
    t.SetFilePath(file.absolutePath());
    t.SetTableName(file.fileName());
    try {
        t.Open();
        if (mode == QLatin1String("hold")) {
            std::puts("open");
            std::fflush(stdout);
            while (std::getchar() != EOF) {
            }
            return 0;
        }
        for (int n = t.ExactRecordCount() + 1;; ++n) {
            t.Append();
            t.FieldByName(QStringLiteral("N"))->SetAsInteger(n);
            t.FieldByName(QStringLiteral("P"))->SetAsFloat(n / 8.0);
            t.FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("строка %1").arg(n));
            t.Post();
            std::printf("posted %d\n", n);
            std::fflush(stdout);
        }
    } catch (const AppError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 3;
    }
}
