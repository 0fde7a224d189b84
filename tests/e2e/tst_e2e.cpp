#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "LandTiles.h"
#include "LogCapture.h"
#include "ScenarioServer.h"
#include "app/AppSettings.h"
#include "app/AppState.h"
#include "locations/LocationStore.h"
#include "locations/MapCameraStore.h"
#include "platform/DataHosts.h"
#include "platform/Preferences.h"
#include "platform/SystemEvents.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "ui/ApplicationShell.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"
#include "ui/WeatherHeaderView.h"

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// The whole program as a user runs it, built through the same entry as `main`, with only the
// data hosts pointed at the fake server and the machine's wake and network events in the
// test's hands.
class TestEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    LandTiles m_land;
    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<FakeHttpServer> m_server;
    NetworkMonitor* m_network = nullptr;

    QString settingsPath() const { return m_home.filePath(QStringLiteral("settings.json")); }

    std::unique_ptr<ApplicationShell> launch()
    {
        AppStateEnvironment environment;
        environment.makeWakeMonitor = [] { return std::make_unique<WakeMonitor>(); };
        environment.makeNetworkMonitor = [this] {
            auto monitor = std::make_unique<NetworkMonitor>();
            m_network = monitor.get();
            return monitor;
        };
        auto shell = std::make_unique<ApplicationShell>(Preferences::openFile(settingsPath()),
                                                        std::move(environment));
        shell->window().show();
        return shell;
    }

    static AppState& state(ApplicationShell& shell) { return shell.app().state(); }

    static bool waitForRadar(ApplicationShell& shell)
    {
        return QTest::qWaitFor(
            [&] {
                return state(shell).detailPlayer()->currentFrame() &&
                       state(shell).overviewPlayer()->currentFrame();
            },
            8000);
    }

    int tileRequests() const
    {
        return m_server->requestCount([](const QString& path) {
            return path.startsWith(QLatin1String("/bosai/jmatile/data/")) &&
                   path.endsWith(QLatin1String(".png"));
        });
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(settingsPath());
        m_clock = std::make_unique<FakeClock>();
        m_server = std::make_unique<FakeHttpServer>();
        QVERIFY(m_server->listen());
        ScenarioServer::serveAll(
            *m_server, [this](const RecordedRequest& request) -> std::optional<FakeResponse> {
                const TileId id = LandTiles::parsePath(request.path);
                if (id.z < 0)
                    return std::nullopt;
                return FakeResponse::png(m_land.png(id));
            });
        DataHosts::pointAllAt(m_server->baseUrl());
    }

    void cleanup()
    {
        m_server.reset();
        m_clock.reset();
        DataHosts::setCurrent(DataHosts::production());
    }

    void firstStartShowsRadarForecastAndUpdateTime()
    {
        auto shell = launch();
        QVERIFY(waitForRadar(*shell));
        ContentView* content = shell->window().content();
        QVERIFY(QTest::qWaitFor(
            [&] { return content->header()->area() == WeatherHeaderView::Area::Forecast; }, 5000));
        QCOMPARE(shell->app().locations().selected().name, QStringLiteral("東京"));
        QCOMPARE(content->statusText(), QStringLiteral("レーダー更新 14:30"));
        QVERIFY(QTest::qWaitFor([&] { return tileRequests() > 0; }, 5000));
    }

    void agencyDownAtStartThenBack()
    {
        // Nothing listens at the agency's address: connections are refused.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 deadPort = closed.serverPort();
        closed.close();
        DataHosts hosts = DataHosts::current();
        hosts.agency = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(deadPort));
        DataHosts::setCurrent(hosts);

        LogCapture log;
        auto shell = launch();
        ContentView* content = shell->window().content();
        QVERIFY(QTest::qWaitFor([&] { return content->statusIsWarning(); }, 5000));
        QVERIFY(
            content->statusText().startsWith(QStringLiteral("レーダー情報を取得できませんでした")));
        QVERIFY(!state(*shell).detailPlayer()->currentFrame());

        // The agency answers again; the network coming back repairs the radar at once.
        DataHosts::pointAllAt(m_server->baseUrl());
        Q_EMIT m_network->pathChanged(false);
        Q_EMIT m_network->pathChanged(true);
        QVERIFY(waitForRadar(*shell));
        QVERIFY(QTest::qWaitFor([&] { return !content->statusIsWarning(); }, 5000));
        QCOMPARE(log.matching(QStringLiteral("レーダーを立て直す 理由=ネットワーク復帰")).size(),
                 1);
    }

    void corruptPreferencesStartWithDefaults()
    {
        {
            QFile file(settingsPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("{\"Shiguren.theme\": \"dark\", ");
        }
        auto shell = launch();
        QCOMPARE(shell->app().settings().playbackMode(), RadarPlaybackMode::Animation);
        QCOMPARE(shell->app().locations().selected().name, QStringLiteral("東京"));
        QVERIFY(QFile::exists(settingsPath() + QStringLiteral(".corrupt")));
        QVERIFY(waitForRadar(*shell));
    }

    void favouritesThemeAndRegionsSurviveARestart()
    {
        const SavedLocation osaka = SavedLocation::create(
            QStringLiteral("大阪"), QStringLiteral("大阪府"), 34.6937, 135.5023);
        const MapRegion region{{34.69, 135.50}, 2.0, 2.0};
        {
            auto shell = launch();
            state(*shell).select(osaka);
            shell->app().locations().add(osaka);
            shell->app().settings().setTheme(ThemePreference::Dark);
            state(*shell).updateVisibleTiles({}, region, AppState::Pane::Detail);
            shell->window().close();
        }
        auto shell = launch();
        QCOMPARE(shell->app().locations().selected().name, QStringLiteral("大阪"));
        QVERIFY(shell->app().locations().locations().contains(osaka));
        QCOMPARE(shell->app().settings().theme(), ThemePreference::Dark);
        const auto camera = state(*shell).mapCameras()->camera(MapPane::Detail);
        QVERIFY(camera.has_value());
        QCOMPARE(camera->latitude, 34.69);
        shell->app().settings().setTheme(ThemePreference::Light);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
