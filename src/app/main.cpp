#include "app/CommandLine.h"
#include "app/RainAtCommand.h"
#include "platform/AppInfo.h"
#include "platform/DataHosts.h"
#include "platform/SingleInstance.h"
#include "ui/ApplicationShell.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QLoggingCategory>

int main(int argc, char* argv[])
{
    // Before QApplication, which would need a display to answer --help.
    const CommandLine::Request request = CommandLine::read(CommandLine::arguments(argc, argv));
    if (request.action != CommandLine::Action::Run && request.action != CommandLine::Action::RainAt)
        return CommandLine::answer(request);
    if (const QString refusal = DataHosts::applyEnvironment(); !refusal.isEmpty())
        return CommandLine::fail(CommandLine::kBadArguments, refusal);

    if (request.action == CommandLine::Action::RainAt) {
        // No display: scripts and status bars run this from anywhere.
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(AppInfo::applicationName());
        QCoreApplication::setApplicationVersion(AppInfo::version());
        // What fails reaches the script as one message of ours, not as the program's log.
        QLoggingCategory::setFilterRules(QStringLiteral("jp.shiguren.*=false"));
        return RainAtCommand::run(request);
    }

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
