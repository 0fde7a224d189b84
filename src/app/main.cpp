#include "app/CommandLine.h"
#include "platform/SingleInstance.h"
#include "ui/ApplicationShell.h"
#include "ui/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Before QApplication, which would need a display to answer --help.
    const CommandLine::Request request = CommandLine::read(CommandLine::arguments(argc, argv));
    if (request.action != CommandLine::Action::Run)
        return CommandLine::answer(request);

    QApplication app(argc, argv);
    ApplicationShell::configureApplication();
    SingleInstance instance;
    if (!instance.claim())
        return 0;
    // The main window starts the controller when it first appears.
    ApplicationShell shell;
    MainWindow& window = shell.window();
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     [&window] { MainWindow::bringToFront(window); });
    window.show();
    return QApplication::exec();
}
