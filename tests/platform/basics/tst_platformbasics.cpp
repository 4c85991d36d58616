#include "platform/dialogs/scripteddialogservice.h"
#include "platform/guard/commandguard.h"
#include "platform/registry/registrykey.h"
#include "platform/shared/apperror.h"
#include "platform/shared/sharedstate.h"

#include <QTemporaryDir>
#include <QtTest>

class TestPlatformBasics : public QObject
{
    Q_OBJECT

private slots:
    void guardShowsEscapingErrorAndGoesOn();
    void registryKeepsValuesAcrossOpenings();
    void scriptedDialogsAnswerInOrder();
};

void TestPlatformBasics::guardShowsEscapingErrorAndGoesOn()
{
    ScriptedDialogService dialogs;
    QVERIFY(runGuarded([] {}));
    QVERIFY(dialogs.shown().isEmpty());

    QVERIFY(!runGuarded([] { throw AppError(QStringLiteral("Файл занят")); }));
    QVERIFY(!runGuarded([] { throw std::runtime_error("disk full"); }));
    QCOMPARE(dialogs.shown().size(), 2);
    const auto &first = dialogs.shown().at(0);
    QCOMPARE(first.text, QStringLiteral("Файл занят"));
    QCOMPARE(first.caption, ApplicationTitle);
    QCOMPARE(first.icon, DialogService::Icon::Error);
    QCOMPARE(dialogs.shown().at(1).text, QStringLiteral("disk full"));
}

void TestPlatformBasics::registryKeepsValuesAcrossOpenings()
{
    QTemporaryDir dir;
    RegistryKey::useDirectoryForTests(dir.path());
    {
        RegistryKey key;
        QVERIFY(!key.valueExists(RegistryKey::DefaultDir));
        key.writeString(RegistryKey::DefaultDir, QStringLiteral("/home/оператор"));
    }
    RegistryKey again;
    QVERIFY(again.valueExists(RegistryKey::DefaultDir));
    QCOMPARE(again.readString(RegistryKey::DefaultDir), QStringLiteral("/home/оператор"));
    QVERIFY(QFile::exists(dir.filePath("KELM2.ini")));
    RegistryKey::useDirectoryForTests({});
}

void TestPlatformBasics::scriptedDialogsAnswerInOrder()
{
    ScriptedDialogService dialogs;
    DialogService &service = DialogService::instance();
    QCOMPARE(&service, &dialogs);
    dialogs.answer(DialogService::Button::No);
    dialogs.answer(QStringLiteral("/tmp/a.db"));
    dialogs.answer(QVariant());
    QCOMPARE(service.messageBox("q", ApplicationTitle, DialogService::Icon::Question,
                                DialogService::Buttons::YesNo),
             DialogService::Button::No);
    QCOMPARE(service.saveFile({}).value_or(QString()), QStringLiteral("/tmp/a.db"));
    QVERIFY(!service.openFile({}).has_value());
    // With nothing queued a message takes its first button and a file dialog is cancelled.
    QCOMPARE(service.messageDlg("x", DialogService::DlgType::Error, DialogService::Buttons::Ok),
             DialogService::Button::Ok);
    QVERIFY(!service.saveFile({}).has_value());
    QCOMPARE(dialogs.shown().at(3).caption, QStringLiteral("Ошибка"));
}

QTEST_MAIN(TestPlatformBasics)
#include "tst_platformbasics.moc"
