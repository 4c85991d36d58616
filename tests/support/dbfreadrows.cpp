#include "tests/support/dbfreadrows.h"

#include <QJsonDocument>
#include <QProcess>

namespace {

const char *const Script = R"(
import dbfread, json, sys
table = dbfread.DBF(sys.argv[1], encoding='cp1251', char_decode_errors='strict')
json.dump([dict(row) for row in table], sys.stdout, ensure_ascii=True)
)";

const char *const CountScript = R"(
import dbfread, sys
for f in sys.argv[1:]:
    try:
        print(len(list(dbfread.DBF(f))))
    except Exception:
        print(-1)
)";

} // namespace

QJsonArray dbfreadRows(const QString &path, QString *error)
{
    QProcess python;
    // Debian's python modules belong to the system interpreter, not to one found first on PATH.
    python.start(QStringLiteral("/usr/bin/python3"), {"-c", QString::fromLatin1(Script), path});
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(python.readAllStandardError());
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

QList<int> dbfreadRowCounts(const QStringList &paths)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{"-c", QString::fromLatin1(CountScript)} + paths);
    if (!python.waitForFinished(120000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0)
        return {};
    QList<int> counts;
    for (const QByteArray &line : python.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            counts.append(line.trimmed().toInt());
    return counts;
}
