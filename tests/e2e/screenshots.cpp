#include "ShellHarness.h"
#include "app/AppSettings.h"
#include "app/AppState.h"
#include "map/RadarMapHost.h"
#include "mapwidget/MapWidget.h"
#include "platform/DataHosts.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "ui/ApplicationShell.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"
#include "ui/PaneButton.h"
#include "ui/RadarLegendView.h"
#include "ui/RadarPaneView.h"
#include "ui/RainOutlookRow.h"
#include "ui/SettingsWindow.h"
#include "ui/WeatherHeaderView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

// Pictures of the main window against the scenario's fake services, for a person to look at
// after a change to what users see (scripts/screenshots runs this): the window while the
// agency cannot be reached, 14:30 with every layer (thunder and tornado over the storm near
// Tokyo among them) and the rain outlook in the light and the dark theme, with the detail
// pane's legend and the settings window's "通知" tab, and a start two hours later without the
// agency, showing the saved data marked as old, in both themes and in live mode.

namespace {

void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "screenshots: %s\n", what);
        std::exit(1);
    }
}

void save(ApplicationShell& shell, const QDir& folder, const QString& name)
{
    const QImage shot = shell.window().grab().toImage();
    require(!shot.isNull() && shot.save(folder.filePath(name)), "cannot save a picture");
    std::printf("%s\n", qPrintable(folder.filePath(name)));
}

// The settings window on its "通知" tab.
void saveNotificationSettings(ApplicationShell& shell, const QDir& folder, const QString& name)
{
    shell.window().showSettings();
    SettingsWindow* window = nullptr;
    for (QWidget* each : QApplication::topLevelWidgets()) {
        if (auto* settings = qobject_cast<SettingsWindow*>(each))
            window = settings;
    }
    require(window, "no settings window");
    window->tabs()->setCurrentIndex(1);
    QTest::qWait(100); // laid out and drawn
    const QImage shot = window->grab().toImage();
    require(!shot.isNull() && shot.save(folder.filePath(name)), "cannot save a picture");
    std::printf("%s\n", qPrintable(folder.filePath(name)));
    window->close();
}

void shootAgencyDown(const QDir& folder, const QString& settingsPath)
{
    ShellHarness harness(settingsPath);
    require(harness.isServing(), "the fake server does not listen");
    // Nothing listens at the agency's address: connections are refused.
    QTcpServer closed;
    require(closed.listen(QHostAddress::LocalHost), "no free port");
    DataHosts hosts = DataHosts::current();
    hosts.agency = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()));
    closed.close();
    DataHosts::setCurrent(hosts);

    auto shell = harness.launch();
    shell->window().resize(1280, 900);
    ContentView* content = shell->window().content();
    require(QTest::qWaitFor([&] { return content->statusIsWarning(); }, 5000),
            "the failed radar fetch is not shown");
    QTest::qWait(400); // the badge's fade
    save(*shell, folder, QStringLiteral("agency-down.png"));
}

void shootThemes(const QDir& folder, const QString& settingsPath)
{
    ShellHarness harness(settingsPath);
    require(harness.isServing(), "the fake server does not listen");
    auto shell = harness.launch();
    shell->window().resize(1440, 900);
    require(ShellHarness::waitForRadar(*shell), "no radar");
    ContentView* content = shell->window().content();
    RadarPaneView* overview = content->overviewPane();
    require(QTest::qWaitFor(
                [&] {
                    return content->header()->area() == WeatherHeaderView::Area::Forecast &&
                           !overview->mapView().typhoons.isEmpty() &&
                           !overview->mapView().lightningStrikes.isEmpty() &&
                           overview->mapView().thunderFrame && overview->mapView().tornadoFrame;
                },
                5000),
            "the forecast, typhoons, lightning, thunder or tornado are missing");
    AppSettings& settings = shell->app().settings();
    settings.setShowRangeCircles(true);           // every layer in the picture
    shell->window().playPauseAction()->trigger(); // hold 14:30 still
    for (const ThemePreference theme : {ThemePreference::Light, ThemePreference::Dark}) {
        settings.setTheme(theme);
        require(harness.runClockUntil(
                    [&] {
                        // Every layer drawn, thunder and tornado among them.
                        return !content->detailPane()->showsLoadingBadge() &&
                               !overview->showsLoadingBadge() &&
                               !content->header()->rainRow()->isHidden() &&
                               content->detailPane()->mapHost()->mapWidget().scene().isLoaded() &&
                               overview->mapHost()->mapWidget().scene().isLoaded();
                    },
                    10, 0.25),
                "the radar tiles or the rain outlook do not arrive");
        QTest::qWait(400); // the map decodes and draws the delivered tiles
        const QString suffix = theme == ThemePreference::Dark ? QStringLiteral("-dark.png")
                                                              : QStringLiteral("-light.png");
        save(*shell, folder, QStringLiteral("main") + suffix);

        // The legend with the thunder and tornado scales, in a popover of its own.
        RadarPaneView* detail = content->detailPane();
        detail->legendButton()->click();
        require(QTest::qWaitFor([&] { return detail->legend()->isVisible(); }, 2000),
                "the legend does not open");
        QTest::qWait(300);
        const QImage legend = detail->legend()->window()->grab().toImage();
        require(legend.save(folder.filePath(QStringLiteral("legend") + suffix)),
                "cannot save a picture");
        std::printf("%s\n", qPrintable(folder.filePath(QStringLiteral("legend") + suffix)));
        detail->legendButton()->click();
        QTest::qWait(100);
        saveNotificationSettings(*shell, folder, QStringLiteral("settings-notifications") + suffix);
    }
    settings.setTheme(ThemePreference::Light);
}

void shootOffline(const QDir& folder, const QString& settingsPath)
{
    ShellHarness harness(settingsPath);
    require(harness.isServing(), "the fake server does not listen");
    {
        auto shell = harness.launch();
        shell->window().resize(1440, 900);
        require(ShellHarness::waitForRadar(*shell), "no radar");
        require(harness.showEveryFrame(*shell), "the radar tiles do not arrive");
    }
    harness.server().setDown(true);
    harness.runClock(2 * 3600, 600);
    auto shell = harness.launch();
    shell->window().resize(1440, 900);
    AppState& state = shell->app().state();
    ContentView* content = shell->window().content();
    require(harness.runClockUntil([&] { return state.isOffline(); }, 10, 0.25),
            "the saved frames are not shown");
    require(harness.runClockUntil(
                [&] { return content->header()->area() == WeatherHeaderView::Area::Forecast; }, 10,
                0.25),
            "the saved forecast is not shown");
    state.pausePlayback();
    state.detailPlayer()->scrub(int(state.timeline()->frames().size()) - 1);
    AppSettings& settings = shell->app().settings();
    for (const ThemePreference theme : {ThemePreference::Light, ThemePreference::Dark}) {
        settings.setTheme(theme);
        harness.runClockUntil(
            [&] {
                return !content->detailPane()->showsLoadingBadge() &&
                       !content->overviewPane()->showsLoadingBadge();
            },
            10, 0.25);
        QTest::qWait(400);
        save(*shell, folder,
             theme == ThemePreference::Dark ? QStringLiteral("offline-dark.png")
                                            : QStringLiteral("offline-light.png"));
    }
    settings.setTheme(ThemePreference::Light);
    // Live mode: the bar under each map says so too.
    state.setPlaybackMode(RadarPlaybackMode::Live);
    harness.runClock(2);
    QTest::qWait(400);
    save(*shell, folder, QStringLiteral("offline-live-light.png"));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    require(QDir().mkpath(folder.path()), "cannot make the folder");
    QTemporaryDir home;
    const QString settingsPath = home.filePath(QStringLiteral("settings.json"));
    shootAgencyDown(folder, settingsPath);
    QFile::remove(settingsPath);
    shootThemes(folder, settingsPath);
    QFile::remove(settingsPath);
    shootOffline(folder, settingsPath);
    return 0;
}
