// The table against other processes: a writer killed at random points, and exclusive access.

#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"
#include "tests/support/dbfreadrows.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

const QString kWriter = QStringLiteral(DBF_WRITER);

QList<TFieldDef> defs()
{
    return {
        {QStringLiteral("N"), TFieldType::ftInteger, 0, {}},
        {QStringLiteral("P"), TFieldType::ftFloat, 0, {}},
        {QStringLiteral("NAME"), TFieldType::ftString, 200, {}},
    };
}

} // namespace

class TestDbfProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString createTable(const QString &name)
    {
        TDbf t;
        t.SetFilePath(m_dir.path());
        t.SetTableName(name);
        t.SetFieldDefs(defs());
        t.CreateTable();
        return m_dir.filePath(name);
    }

private slots:
    // Every file left by a writer killed between two writes opens and holds every row whose
    // post had returned, for this engine and for dbfread.
    void killedWriter()
    {
        QRandomGenerator random(20240611);
        QStringList files;
        QList<int> reported;
        for (int run = 0; run < 30; ++run) {
            const QString path = createTable(QStringLiteral("kill%1.db").arg(run));
            QProcess writer;
            writer.start(kWriter, {"append", path});
            QVERIFY(writer.waitForStarted());
            const int target = int(random.bounded(1, 400));
            int posted = 0;
            while (posted < target && writer.waitForReadyRead(30000)) {
                while (writer.canReadLine()) {
                    const QByteArray line = writer.readLine().trimmed();
                    if (line.startsWith("posted "))
                        posted = line.mid(7).toInt();
                }
            }
            QVERIFY2(posted >= target, writer.readAllStandardError().constData());
            QThread::usleep(random.bounded(2000)); // the kill lands anywhere in the next posts
            writer.kill();
            writer.waitForFinished();
            while (writer.canReadLine()) {
                const QByteArray line = writer.readLine().trimmed();
                if (line.startsWith("posted "))
                    posted = line.mid(7).toInt();
            }

            TDbf t;
            t.SetFilePath(m_dir.path());
            t.SetTableName(QStringLiteral("kill%1.db").arg(run));
            t.SetFieldDefs(defs());
            t.Open();
            QVERIFY2(t.ExactRecordCount() >= posted,
                     qPrintable(QStringLiteral("%1 < %2").arg(t.ExactRecordCount()).arg(posted)));
            int n = 0;
            for (t.First(); !t.Eof(); t.Next()) {
                ++n;
                QCOMPARE(t.FieldByName("N")->AsInteger(), n);
                QCOMPARE(t.FieldByName("NAME")->AsString(), QStringLiteral("строка %1").arg(n));
            }
            files << path;
            reported << posted;
        }
        const QList<int> counts = dbfreadRowCounts(files);
        QCOMPARE(counts.size(), files.size());
        for (int i = 0; i < counts.size(); ++i)
            QVERIFY(counts[i] >= reported[i]);
    }

    void exclusiveAccess()
    {
        const QString path = createTable(QStringLiteral("lock.db"));
        // Another process holds the table: this one cannot open it.
        QProcess holder;
        holder.start(kWriter, {"hold", path});
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("open"));
        TDbf t;
        t.SetFilePath(m_dir.path());
        t.SetTableName(QStringLiteral("lock.db"));
        try {
            t.Open();
            QFAIL("opened a table held by another process");
        } catch (const AppError &e) {
            QVERIFY2(e.text().contains(QStringLiteral("занят другой программой")),
                     qPrintable(e.text()));
        }
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(30000));
        QCOMPARE(holder.exitCode(), 0);

        // This process holds it: the other one is refused.
        t.Open();
        QProcess second;
        second.start(kWriter, {"hold", path});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 3);
        QVERIFY(QString::fromUtf8(second.readAllStandardError()).contains(QStringLiteral("занят")));
        t.Close();
        second.start(kWriter, {"hold", path});
        QVERIFY(second.waitForReadyRead(30000));
        second.closeWriteChannel();
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDbfProcess)
#include "tst_dbfprocess.moc"
