#include "app/about/tform6.h"
#include "app/help/manual.h"
#include "app/logo/tform5.h"
#include "platform/shared/apperror.h"
#include "platform/sysinfo/sysinfo.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

class RecordingViewer : public DocumentViewer
{
public:
    RecordingViewer() { DocumentViewer::install(this); }
    ~RecordingViewer() override { DocumentViewer::install(nullptr); }
    bool openDocument(const QString &path) override
    {
        opened.append(path);
        return accepts;
    }
    QStringList opened;
    bool accepts = true;
};

QString sourceManual()
{
    return QStringLiteral(LK7_SOURCE_DIR "/docs/ortan.rtf");
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The visible text of an RTF document: control words dropped, \uN and \'xx turned into
// characters (a \uN's one-byte fallback skipped), destinations such as the font table kept.
QString rtfText(const QByteArray &rtf)
{
    QString text;
    int skip = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{' || c == '}' || c == '\r' || c == '\n')
            continue;
        if (c != '\\') {
            if (skip > 0)
                --skip;
            else
                text += QLatin1Char(c);
            continue;
        }
        const char next = i + 1 < rtf.size() ? rtf[i + 1] : '\0';
        if (next == '\\' || next == '{' || next == '}') {
            text += QLatin1Char(next);
            ++i;
        } else if (next == '\'') {
            if (skip > 0)
                --skip;
            else
                text += QString::fromLatin1(rtf.mid(i + 2, 2)); // only seen without a \u before it
            i += 3;
        } else {
            qsizetype j = i + 1;
            while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j])))
                ++j;
            const QByteArray word = rtf.mid(i + 1, j - i - 1);
            qsizetype k = j;
            if (k < rtf.size() && rtf[k] == '-')
                ++k;
            while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[k])))
                ++k;
            const QByteArray number = rtf.mid(j, k - j);
            if (k < rtf.size() && rtf[k] == ' ')
                ++k;
            if (word == "u") {
                text += QChar(char16_t(number.toInt()));
                skip = 1;
            } else if (word == "par" || word == "cell" || word == "tab") {
                text += QLatin1Char(' ');
            }
            i = k - 1;
        }
    }
    return text.simplified();
}

} // namespace

class TestAppForms : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SysInfo::setFileVersionForTests(std::nullopt); }

    void aboutBoxShowsVersion_data();
    void aboutBoxShowsVersion();
    void splashEndsWithOkAfterThreeSeconds();
    void manualOpensAsReadOnlyCopy();
    void manualErrors();
    void manualIsRtfForTheOperator_data();
    void manualIsRtfForTheOperator();
};

void TestAppForms::aboutBoxShowsVersion_data()
{
    QTest::addColumn<bool>("useBuildVersion");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("line");
    QTest::newRow("the build's own") << true << QString() << "Версия 2.0.0.10";
    QTest::newRow("no version") << false << QString() << "Версия 0.0.0.0";
    QTest::newRow("one character") << false << "7"
                                   << "Версия 0.0.0.0";
    QTest::newRow("two characters") << false << "10"
                                    << "Версия 10";
}

void TestAppForms::aboutBoxShowsVersion()
{
    QFETCH(bool, useBuildVersion);
    QFETCH(QString, version);
    QFETCH(QString, line);
    SysInfo::setFileVersionForTests(useBuildVersion ? std::nullopt : std::optional(version));

    Tform6 box;
    box.show();
    QCOMPARE(box.windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(box.size(), QSize(515, 151));
    QCOMPARE(box.Label1->text(), QStringLiteral("Ortan - LK7"));
    QVERIFY(box.Label1->font().bold());
    QCOMPARE(box.Label1->font().pixelSize(), 16);
    QCOMPARE(box.Label2->text(), line);
    QCOMPARE(box.Label2->font().pixelSize(), 13);
    QCOMPARE(box.Label3->text(),
             QStringLiteral("Программа для передачи данных с приборов Ortan-LK7"));

    // The line is built each time the box is shown.
    box.Button1Click();
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
    SysInfo::setFileVersionForTests(QStringLiteral("3.1.4.1"));
    box.show();
    QCOMPARE(box.Label2->text(), QStringLiteral("Версия 3.1.4.1"));
    QCOMPARE(box.Button1->text(), QStringLiteral("Ок"));
    box.Button1->click();
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

void TestAppForms::splashEndsWithOkAfterThreeSeconds()
{
    TForm5 splash;
    QCOMPARE(splash.size(), QSize(400, 77));
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(TForm5::splashPicture().size(), QSize(400, 78));
    QCOMPARE(splash.Timer1->interval(), 3000);
    QVERIFY(!splash.Timer1->isActive());

    QSignalSpy finished(&splash, &QDialog::finished);
    QElapsedTimer clock;
    clock.start();
    splash.open();
    QVERIFY(splash.Timer1->isActive());
    QVERIFY(finished.wait(30000));
    // A coarse timer may fire up to 5 % early.
    QVERIFY2(clock.elapsed() >= 2850, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
    QVERIFY(!splash.Timer1->isActive());
}

void TestAppForms::manualOpensAsReadOnlyCopy()
{
    RecordingViewer viewer;
    showManual(sourceManual());
    QCOMPARE(viewer.opened.size(), 1);
    const QString copy = viewer.opened.first();
    QVERIFY(copy != sourceManual());
    QCOMPARE(QFileInfo(copy).fileName(), QStringLiteral("ortan.rtf"));
    QCOMPARE(readAll(copy), readAll(sourceManual()));
    // The mode bits, not the "user" flags: those say what the running user may do, and the tests
    // may run as root.
    const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    QVERIFY((QFile::permissions(copy) & writable) == 0);

    // A viewer may still hold the first copy: the next call shows the same one.
    showManual(sourceManual());
    QCOMPARE(viewer.opened, QStringList({copy, copy}));

    // The build tree keeps the manual beside the program, as an installation does.
    QCOMPARE(readAll(QStringLiteral(LK7_BINARY_DIR "/app/ortan.rtf")), readAll(sourceManual()));
}

void TestAppForms::manualErrors()
{
    RecordingViewer viewer;
    try {
        showManual(QDir::temp().filePath("no-such-folder/ortan.rtf"));
        QFAIL("a missing manual must be reported");
    } catch (const AppError &e) {
        QVERIFY(e.text().startsWith(QStringLiteral("Не найден файл руководства оператора")));
    }
    QVERIFY(viewer.opened.isEmpty());

    viewer.accepts = false;
    try {
        showManual(sourceManual());
        QFAIL("a manual no viewer takes must be reported");
    } catch (const AppError &e) {
        QVERIFY(e.text().contains(QStringLiteral("RTF")));
    }
}

void TestAppForms::manualIsRtfForTheOperator_data()
{
    QTest::addColumn<QString>("phrase");
    for (const char *phrase :
         {"Руководство оператора", "Подключение прибора", "Прием данных", "Сортировка",
          "Экспорт в Excel", "Перенумеровать строки", "Убрать все цвета",
          "Прибор не обнаружен! Проверте правильность подключения согласно инструкции!",
          "Вы подключили не тот прибор !", "Нет данных для передачи!", "База данных повреждена !",
          "Сохранить изменения в таблицах ?", "Архив уже содержит все испытания прибора.",
          "График доступен для таблицы вырыва",
          "Привышено максимальное количество объединений ! Максимум 3 измерения на одном "
          "графике!"})
        QTest::newRow(phrase) << QString::fromUtf8(phrase);
}

void TestAppForms::manualIsRtfForTheOperator()
{
    QFETCH(QString, phrase);
    const QByteArray rtf = readAll(sourceManual());
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        QVERIFY2(static_cast<unsigned char>(c) < 0x80, "Cyrillic must be escaped");
        if (c == '\\')
            ++i;
        else if (c == '{')
            ++depth;
        else if (c == '}' && --depth == 0)
            QVERIFY2(rtf.mid(i + 1).trimmed().isEmpty(), "text after the document's group");
        QVERIFY(depth >= 0);
    }
    QCOMPARE(depth, 0);
    QVERIFY2(rtfText(rtf).contains(phrase), qPrintable(phrase));
}

QTEST_MAIN(TestAppForms)
#include "tst_appforms.moc"
