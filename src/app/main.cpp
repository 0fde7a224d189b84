#include "ui/ApplicationShell.h"
#include "ui/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ApplicationShell::configureApplication();
    // The main window starts the controller when it first appears.
    ApplicationShell shell;
    shell.window().show();
    return QApplication::exec();
}
