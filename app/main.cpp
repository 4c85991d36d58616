#include "app/start/program.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    return runProgram(arguments.size() > 1 ? arguments.at(1) : QString());
}
