#include "app/start/program.h"

#include "app/about/tform6.h"
#include "app/logo/tform5.h"
#include "app/main/mainimages.h"
#include "app/main/tform1.h"
#include "device/receive/tform2.h"
#include "platform/guard/commandguard.h"

#include <QApplication>

void createForms()
{
    Form1 = new TForm1;
    Form2 = new TForm2(Form1);
    Form5 = new TForm5;
    Form6 = new Tform6(Form1);
}

void destroyForms()
{
    delete Form5;
    Form5 = nullptr;
    delete Form1; // owns Form2 and Form6
    Form1 = nullptr;
    Form2 = nullptr;
    Form6 = nullptr;
}

int runProgram(const QString &archive)
{
    // The name and desktop file name tie the windows to the desktop entry "ortan.desktop".
    QApplication::setApplicationName(QStringLiteral("ortan"));
    QApplication::setDesktopFileName(QStringLiteral("ortan"));
    QApplication::setWindowIcon(programIcon());
    createForms();
    Form5->exec();
    delete Form5;
    Form5 = nullptr;
    Form1->show();
    if (!archive.isEmpty())
        runGuarded([&] { Form1->openChosenArchive(archive); });
    const int code = QApplication::exec();
    destroyForms();
    return code;
}
