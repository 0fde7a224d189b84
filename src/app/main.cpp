#include "app/AppSettings.h"
#include "platform/AppInfo.h"
#include "platform/Preferences.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::applicationName());
    QApplication::setApplicationVersion(AppInfo::version());
    QGuiApplication::setApplicationDisplayName(AppInfo::displayName());
    QGuiApplication::setDesktopFileName(AppInfo::applicationId());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    auto defaults = Preferences::openStandard();
    AppSettings settings(defaults.get());
    settings.applyAppearance();

    // Stand-in window until the radar panes exist.
    QMainWindow window;
    auto* label = new QLabel(QStringLiteral("Shiguren — レーダー画面は準備中です"), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(1280, 900);
    window.show();
    return QApplication::exec();
}
