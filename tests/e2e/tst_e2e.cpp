#include "LogCapture.h"
#include "ScenarioServer.h"
#include "ShellHarness.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "app/AppSettings.h"
#include "app/AppState.h"
#include "lightning/LightningService.h"
#include "locations/LocationStore.h"
#include "locations/MapCameraStore.h"
#include "map/RadarMapCoordinator.h"
#include "map/RadarMapHost.h"
#include "mapwidget/MapWidget.h"
#include "outlook/RainOutlookService.h"
#include "platform/DataHosts.h"
#include "platform/Preferences.h"
#include "platform/SystemEvents.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "typhoon/TyphoonService.h"
#include "ui/ApplicationShell.h"
#include "ui/ContentView.h"
#include "ui/CurrentWeatherPanel.h"
#include "ui/LiveOffsetSlider.h"
#include "ui/LiveStatusBar.h"
#include "ui/LocationPickerView.h"
#include "ui/MainToolBar.h"
#include "ui/MainWindow.h"
#include "ui/OfflineBanner.h"
#include "ui/RadarPaneView.h"
#include "ui/RainAlertPresenter.h"
#include "ui/TimelineSliderView.h"
#include "ui/WeatherHeaderView.h"
#include "ui/WeatherHeaderViewStyle.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// The whole program as a user runs it (see ShellHarness).
class TestEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    std::optional<ShellHarness> m_harness;
    FakeHttpServer* m_server = nullptr;

    QString settingsPath() const { return m_home.filePath(QStringLiteral("settings.json")); }
    std::unique_ptr<ApplicationShell> launch() { return m_harness->launch(); }
    static AppState& state(ApplicationShell& shell) { return shell.app().state(); }
    static bool waitForRadar(ApplicationShell& shell) { return ShellHarness::waitForRadar(shell); }
    bool runClockUntil(const std::function<bool()>& done, double maxSeconds, double step = 1.0)
    {
        return m_harness->runClockUntil(done, maxSeconds, step);
    }
    void runClock(double seconds) { m_harness->runClock(seconds); }

    int tileRequests() const
    {
        return m_server->requestCount([](const QString& path) {
            return path.startsWith(QLatin1String("/bosai/jmatile/data/")) &&
                   path.endsWith(QLatin1String(".png"));
        });
    }

    static void activate(ApplicationShell& shell)
    {
        QApplication::setActiveWindow(&shell.window());
        QVERIFY(QTest::qWaitForWindowActive(&shell.window()));
    }

    static void press(ApplicationShell& shell, int key,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&shell.window(), Qt::Key(key), modifiers);
    }

    // The clock each pane's timeline bar shows, "14:25".
    static QStringList shownClocks(ApplicationShell& shell)
    {
        const ContentView* content = shell.window().content();
        return {content->detailPane()->timelineSlider()->shownLabel().clock,
                content->overviewPane()->timelineSlider()->shownLabel().clock};
    }

    static QStringList shownLiveStatus(ApplicationShell& shell)
    {
        const ContentView* content = shell.window().content();
        QStringList texts;
        for (const RadarPaneView* pane : {content->detailPane(), content->overviewPane()}) {
            const LiveStatusBar::Status& status = pane->liveStatusBar()->shownStatus();
            texts.append(status.kind + u' ' + status.detail);
        }
        return texts;
    }

    void writeSettings(const QByteArray& json) const
    {
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(json);
    }

    QJsonObject readSettings() const
    {
        QFile file(settingsPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(settingsPath());
        QFile::remove(settingsPath() + QStringLiteral(".corrupt"));
        m_server = &m_harness.emplace(settingsPath()).server();
        QVERIFY(m_harness->isServing());
    }

    // The application-wide tile loader outlives every shell and goes with the application.
    // Transfers the last test left to it are cut off on Qt's network thread; let that thread
    // finish with them first, or their objects are left behind when it stops.
    void cleanupTestCase() { QTest::qWait(500); }

    void cleanup() { m_harness.reset(); }

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
        shell->window().resize(1280, 900);
        ContentView* content = shell->window().content();
        QVERIFY(QTest::qWaitForWindowExposed(&shell->window()));
        // Japan, its borders and labels from the first picture, before any radar.
        for (const RadarPaneView* pane : {content->detailPane(), content->overviewPane()}) {
            const RadarMapCoordinator& map = pane->mapHost()->coordinator();
            QVERIFY(map.isRegionPlaced());
            QVERIFY(!map.prefectureLayer().overlays().isEmpty());
            QVERIFY(!map.prefectureLayer().labels().isEmpty());
            const GeoCoordinate centre = pane->mapHost()->mapWidget().centerCoordinate();
            QVERIFY(centre.latitude > 30 && centre.latitude < 40);
            QVERIFY(centre.longitude > 130 && centre.longitude < 145);
        }
        QVERIFY(QTest::qWaitFor([&] { return content->statusIsWarning(); }, 5000));
        QVERIFY(
            content->statusText().startsWith(QStringLiteral("レーダー情報を取得できませんでした")));
        QVERIFY(!state(*shell).detailPlayer()->currentFrame());
        QVERIFY(content->detailPane()->showsFetchFailure());

        // The agency answers again, and the network coming back repairs the radar at once.
        DataHosts::pointAllAt(m_server->baseUrl());
        Q_EMIT m_harness->network()->pathChanged(false);
        Q_EMIT m_harness->network()->pathChanged(true);
        QVERIFY(waitForRadar(*shell));
        QCOMPARE(log.matching(QStringLiteral("レーダーを立て直す 理由=ネットワーク復帰")).size(),
                 1);
        QVERIFY(QTest::qWaitFor([&] { return !content->statusIsWarning(); }, 5000));
        QVERIFY(state(*shell).detailPlayer()->isPlaying());
        QVERIFY(!content->detailPane()->showsFetchFailure());
    }

    void firstStartPlaysAndKeysStepBothPanes()
    {
        auto shell = launch();
        QVERIFY(waitForRadar(*shell));
        ContentView* content = shell->window().content();
        QTRY_COMPARE(content->header()->area(), WeatherHeaderView::Area::Forecast);
        QCOMPARE(shell->app().locations().selected().name, QStringLiteral("東京"));
        QCOMPARE(content->statusText(), QStringLiteral("レーダー更新 14:30"));
        QTRY_VERIFY(tileRequests() > 0);
        activate(*shell);
        RadarPlayer* detail = state(*shell).detailPlayer();
        RadarPlayer* overview = state(*shell).overviewPlayer();
        QVERIFY(detail->isPlaying() && overview->isPlaying());

        // 4 frames a second: a second of the program's time shows four more frames.
        const QStringList before = shownClocks(*shell);
        const int index = detail->index();
        runClock(1.0);
        QCOMPARE(detail->index(), index + 4);
        QCOMPARE(overview->currentFrame()->date, detail->currentFrame()->date);
        QVERIFY(shownClocks(*shell) != before);

        // Each key pauses both panes and moves them together; 14:30 is the newest observation.
        const QList<std::pair<int, QString>> steps = {
            {Qt::Key_0, QStringLiteral("14:30")},    {Qt::Key_Left, QStringLiteral("14:25")},
            {Qt::Key_Left, QStringLiteral("14:20")}, {Qt::Key_Right, QStringLiteral("14:25")},
            {Qt::Key_Up, QStringLiteral("14:30")},   {Qt::Key_Right, QStringLiteral("14:35")},
            {Qt::Key_Down, QStringLiteral("14:30")}, {Qt::Key_Left, QStringLiteral("14:25")},
        };
        for (const auto& [key, clock] : steps) {
            press(*shell, key);
            QCOMPARE(shownClocks(*shell), QStringList({clock, clock}));
        }
        QVERIFY(!detail->isPlaying() && !overview->isPlaying());
        runClock(1.0);
        QCOMPARE(shownClocks(*shell),
                 QStringList({QStringLiteral("14:25"), QStringLiteral("14:25")}));

        // 表示 ▸ 最新のコマへ (Ctrl+L) returns both panes to the newest observation.
        press(*shell, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(shownClocks(*shell),
                 QStringList({QStringLiteral("14:30"), QStringLiteral("14:30")}));
        QVERIFY(detail->currentFrame()->isObservation());
    }

    // The rain alerts hear of every outlook the controller works out for the place.
    void theRainAlertsFollowTheOutlook()
    {
        auto shell = launch();
        QVERIFY(waitForRadar(*shell));
        const RainOutlookService* outlook = state(*shell).outlook();
        QTRY_VERIFY(!outlook->outlook().isEmpty());
        QCOMPARE(shell->rainAlerts().outlook().placeName, QStringLiteral("東京"));
        QCOMPARE(shell->rainAlerts().outlook(), outlook->outlook());
    }

    void liveModeShowsNewestAndFollowsTheOffset()
    {
        writeSettings(R"({"Shiguren.playbackMode": "live"})");
        auto shell = launch();
        QVERIFY(waitForRadar(*shell));
        activate(*shell);
        RadarPlayer* detail = state(*shell).detailPlayer();
        RadarPlayer* overview = state(*shell).overviewPlayer();
        const QString newest = QStringLiteral("観測 14:30 現在");
        QTRY_COMPARE(shownLiveStatus(*shell), QStringList({newest, newest}));
        runClock(2.0); // live mode does not loop
        QCOMPARE(shownLiveStatus(*shell), QStringList({newest, newest}));

        // Pressing a stop of the detail pane's slider looks ahead on both panes.
        LiveOffsetSlider* slider =
            shell->window().content()->detailPane()->liveStatusBar()->slider();
        QVERIFY(slider->steps().size() > 3);
        const int stop = 3;
        const double x =
            LiveOffsetSlider::kPadding + LiveOffsetSlider::stopX(stop, slider->currentStepWidth());
        QTest::mouseClick(slider, Qt::LeftButton, {},
                          QPoint(qRound(x), LiveOffsetSlider::kTrackCenterY));
        QCOMPARE(slider->currentPosition(), stop);
        const int ahead = detail->liveOffsetMinutes();
        QVERIFY(ahead > 0);
        QCOMPARE(overview->liveOffsetMinutes(), ahead);
        const QStringList lookingAhead = shownLiveStatus(*shell);
        QVERIFY(lookingAhead.first().startsWith(QStringLiteral("予測 ")));
        QVERIFY(lookingAhead.first().endsWith(u' ' + LiveStatusBar::offsetText(ahead)));
        QCOMPARE(lookingAhead.last(), lookingAhead.first());

        // Right steps one stop further, 0 and Ctrl+L come back to now.
        press(*shell, Qt::Key_Right);
        QVERIFY(detail->liveOffsetMinutes() > ahead);
        QCOMPARE(overview->liveOffsetMinutes(), detail->liveOffsetMinutes());
        press(*shell, Qt::Key_0);
        QCOMPARE(shownLiveStatus(*shell), QStringList({newest, newest}));
        press(*shell, Qt::Key_Right);
        press(*shell, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(shownLiveStatus(*shell), QStringList({newest, newest}));
    }

    void oneFrameWithoutTilesDoesNotStopTheOthers_data()
    {
        QTest::addColumn<bool>("hang");
        QTest::addColumn<QStringList>("logged"); // each line shows up in turn
        const QString missing = QStringLiteral("枚届いていないため作り直す");
        const QString rebuilt = QStringLiteral("タイルオーバーレイを作り直した");
        // The coverage check finds the visible tiles missing and builds a new overlay.
        QTest::newRow("404") << false << QStringList{missing, rebuilt};
        // No reply at all: the transfer limit (60 s) ends each of the three attempts; only
        // then does the coverage check, which waits while tiles are in flight, step in.
        QTest::newRow("no reply") << true
                                  << QStringList{QStringLiteral(
                                                     "タイル取得失敗: 要求がタイムアウトしました"),
                                                 missing, rebuilt};
    }

    void oneFrameWithoutTilesDoesNotStopTheOthers()
    {
        QFETCH(bool, hang);
        QFETCH(QStringList, logged);
        // 14:10 JST; every other frame answers as usual.
        const QString broken = QStringLiteral("/nowc/20250829051000/none/20250829051000/");
        m_server->setHandler([=, normal = ScenarioServer::tilesAndGeocoder(m_harness->baseMap())](
                                 const RecordedRequest& request) -> std::optional<FakeResponse> {
            if (request.path.contains(broken))
                return hang ? FakeResponse::hanging() : FakeResponse::error(404);
            return normal(request);
        });
        const auto brokenRequests = [&] {
            return m_server->requestCount(
                [&](const QString& path) { return path.contains(broken); });
        };
        LogCapture log(QStringLiteral("jp.shiguren.Shiguren.radar"));
        auto shell = launch();
        QVERIFY(waitForRadar(*shell));
        activate(*shell);
        RadarPaneView* pane = shell->window().content()->detailPane();

        press(*shell, Qt::Key_0);
        for (int i = 0; i < 4; ++i)
            press(*shell, Qt::Key_Left);
        QCOMPARE(shownClocks(*shell).first(), QStringLiteral("14:10"));
        QVERIFY(QTest::qWaitFor([&] { return brokenRequests() > 0; }, 5000));
        QVERIFY(runClockUntil([&] { return pane->showsLoadingBadge(); }, 2));
        for (const QString& line : logged) {
            QVERIFY2(runClockUntil([&] { return !log.matching(line).isEmpty(); }, 200, 2.0),
                     qPrintable(line));
        }
        QVERIFY(pane->showsLoadingBadge());

        // The next frame loads as usual, and the loop plays through the broken one.
        const int healthyRequests = tileRequests() - brokenRequests();
        press(*shell, Qt::Key_Right);
        QCOMPARE(shownClocks(*shell).first(), QStringLiteral("14:15"));
        QVERIFY(runClockUntil([&] { return !pane->showsLoadingBadge(); }, 10, 0.25));
        QVERIFY(tileRequests() - brokenRequests() > healthyRequests);
        press(*shell, Qt::Key_Left);
        press(*shell, Qt::Key_Left);
        shell->window().playPauseAction()->trigger(); // from 14:05
        QStringList shown;
        for (int i = 0; i < 12; ++i) {
            runClock(0.25);
            shown.append(shownClocks(*shell).first());
        }
        QCOMPARE(shown.mid(0, 3), QStringList({QStringLiteral("14:10"), QStringLiteral("14:15"),
                                               QStringLiteral("14:20")}));
        QCOMPARE(shown.last(), QStringLiteral("15:05"));
        QVERIFY(state(*shell).overviewPlayer()->isPlaying());
    }

    void forecastOutageShowsTheErrorUntilTheNextRefresh()
    {
        m_server->setRouteSequence(
            QStringLiteral("/v1/forecast"),
            {FakeResponse::json(R"({"error":true,"reason":"Service Unavailable"})", 503),
             FakeResponse::json(
                 TestData::read(QStringLiteral("openmeteo/forecast_tokyo_16d.json")))});
        LogCapture log(QStringLiteral("jp.shiguren.Shiguren.weather"));
        auto shell = launch();
        WeatherHeaderView* header = shell->window().content()->header();
        QTRY_COMPARE(header->area(), WeatherHeaderView::Area::Error);
        QCOMPARE(header->errorText()->text(),
                 QStringLiteral("天気予報を取得できませんでした（サーバがエラーを返しました: "
                                "HTTP 503 (Service Unavailable)）"));
        QCOMPARE(log.matching(QStringLiteral("予報取得失敗")).size(), 1);

        // Held still so ten minutes of the program's time do not replay thousands of frames.
        QVERIFY(waitForRadar(*shell));
        shell->window().playPauseAction()->trigger();
        QVERIFY(runClockUntil([&] { return header->area() == WeatherHeaderView::Area::Forecast; },
                              660, 30));
        QCOMPARE(m_server->requestCount(QStringLiteral("/v1/forecast")), 2);
    }

    void damagedDocumentStaysWithItsOwnLayer_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("cyclones");
        const QString typhoon = QStringLiteral("/bosai/typhoon/data/TC2516/forecast.json");
        const QString liden = QStringLiteral("/bosai/jmatile/data/nowc/20250829053000/none/"
                                             "20250829053000/surf/liden/data.geojson?id=liden");
        const QStringList both = {QStringLiteral("TC2514"), QStringLiteral("TC2516")};
        QTest::newRow("all intact") << QString() << QByteArray() << both;
        // Cut off in the middle, as a dropped transfer behind a proxy leaves it.
        QTest::newRow("one cyclone's forecast truncated")
            << typhoon
            << TestData::read(QStringLiteral("jma/typhoon/scenario/TC2516/forecast.json")).left(300)
            << QStringList{QStringLiteral("TC2514")};
        // The agency sometimes gzips the strike file without saying so in Content-Encoding.
        QTest::newRow("LIDEN gzip without a header")
            << liden
            << TestData::read(QStringLiteral("jma/liden/scenario_20250829053000.geojson.gz"))
            << both;
    }

    void damagedDocumentStaysWithItsOwnLayer()
    {
        QFETCH(QString, route);
        QFETCH(QByteArray, body);
        QFETCH(QStringList, cyclones);
        if (!route.isEmpty())
            m_server->setRoute(route, FakeResponse::json(body));
        LogCapture log(QStringLiteral("jp.shiguren.Shiguren.typhoon"));
        auto shell = launch();
        QVERIFY(waitForRadar(*shell));
        RadarPaneView* pane = shell->window().content()->overviewPane();
        const auto shownCyclones = [&] {
            QStringList ids;
            for (const TyphoonInfo& info : pane->mapView().typhoons)
                ids.append(info.id);
            return ids;
        };
        QTRY_COMPARE(shownCyclones(), cyclones);
        // The file's 8 cloud-to-ground strikes; the other 12 are not drawn.
        QTRY_COMPARE(pane->mapView().lightningStrikes.size(), 8);
        QVERIFY(state(*shell).typhoon()->errorMessage().isNull());
        QVERIFY(state(*shell).lightning()->errorMessage().isNull());
        QCOMPARE(log.matching(QStringLiteral("台風TC2516の詳細取得失敗")).size(),
                 cyclones.size() == 1 ? 1 : 0);
    }

    // What the user changed survives a restart, and what only a newer version understands is
    // written back untouched.
    void preferencesSurviveARestartKeepingWhatANewerVersionWrote()
    {
        QVERIFY(
            QFile::copy(TestData::path(QStringLiteral("preferences/settings_newer_version.json")),
                        settingsPath()));
        QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::WriteOwner);
        const SavedLocation fukuoka = SavedLocation::create(
            QStringLiteral("福岡"), QStringLiteral("福岡県"), 33.5902, 130.4017);
        {
            auto shell = launch();
            AppSettings& settings = shell->app().settings();
            QCOMPARE(settings.theme(), ThemePreference::Dark);
            QCOMPARE(settings.stepMinutes(), 10.0);
            QVERIFY(settings.showRangeCircles());
            // Values of a shape this version does not know fall back to the defaults.
            QCOMPARE(settings.framesPerSecond(), 4.0);
            QCOMPARE(settings.range(), RadarRange::ThreeHours);
            QVERIFY(settings.showLightning());
            const LocationStore& places = shell->app().locations();
            QCOMPARE(places.locations().size(), 2);
            QCOMPARE(places.selected().name, QStringLiteral("札幌"));
            QCOMPARE(shell->window().toolBar()->locationPicker()->button()->text(),
                     QStringLiteral("札幌"));
            QVERIFY(waitForRadar(*shell)); // started, so the theme is applied
            QVERIFY(shell->window().palette().color(QPalette::Window).lightness() < 128);
            settings.setStepMinutes(5.0);
            state(*shell).select(fukuoka);
            shell->app().locations().add(fukuoka);
            state(*shell).updateVisibleTiles({}, {{33.59, 130.40}, 2.0, 2.0},
                                             AppState::Pane::Detail);
            shell->window().close();
        }
        QVERIFY(!QFile::exists(settingsPath() + QStringLiteral(".corrupt")));
        const QJsonObject saved = readSettings();
        QCOMPARE(saved.value(QStringLiteral("Shiguren.stepMinutes")).toDouble(), 5.0);
        QCOMPARE(saved.value(QStringLiteral("Shiguren.theme")).toString(), QStringLiteral("dark"));
        const QJsonObject original =
            QJsonDocument::fromJson(
                TestData::read(QStringLiteral("preferences/settings_newer_version.json")))
                .object();
        for (const char* key :
             {"Shiguren.mapStyle", "Shiguren.rainAlertMillimetres", "Shiguren.notificationLevel",
              "Shiguren.pinnedLayers", "Shiguren.framesPerSecond", "Shiguren.range"}) {
            QCOMPARE(saved.value(QLatin1String(key)), original.value(QLatin1String(key)));
        }

        auto shell = launch();
        QCOMPARE(shell->app().locations().selected().name, QStringLiteral("福岡"));
        QVERIFY(shell->app().locations().locations().contains(fukuoka));
        QCOMPARE(shell->app().settings().stepMinutes(), 5.0);
        const auto camera = state(*shell).mapCameras()->camera(MapPane::Detail);
        QVERIFY(camera.has_value());
        QCOMPARE(camera->latitude, 33.59);
    }

    // A run with the agency leaves saved lists and tiles; the next start without it shows
    // them, marked as old on both panes, in the footer and the forecast header, and comes
    // back to current data by itself once the agency answers. Last of all: it leaves every
    // frame's pictures in the application-wide tile loader.
    void offlineStartShowsTheLastDataMarkedUntilTheAgencyAnswers_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::newRow("animation") << QByteArray("{}");
        QTest::newRow("live") << QByteArray(R"({"Shiguren.playbackMode": "live"})");
    }
    void offlineStartShowsTheLastDataMarkedUntilTheAgencyAnswers()
    {
        QFETCH(QByteArray, settings);
        writeSettings(settings);
        RadarFrames online;
        {
            auto shell = launch();
            shell->window().resize(1280, 900);
            QVERIFY(waitForRadar(*shell));
            ContentView* content = shell->window().content();
            QTRY_COMPARE(content->header()->area(), WeatherHeaderView::Area::Forecast);
            QTRY_VERIFY(tileRequests() > 0);
            online = state(*shell).timeline()->frames();
            QVERIFY(m_harness->showEveryFrame(*shell));
            QVERIFY(!state(*shell).isOffline());
        }
        m_server->setDown(true);
        m_harness->runClock(2 * 3600, 600); // hours later, the agency still out of reach

        auto shell = launch();
        shell->window().resize(1280, 900);
        AppState& app = state(*shell);
        ContentView* content = shell->window().content();
        QVERIFY(runClockUntil([&] { return app.isOffline(); }, 10, 0.25));
        const RadarFrames saved = app.timeline()->frames();
        QVERIFY(!saved.isEmpty() && saved.size() <= online.size());
        for (const RadarFrame& frame : saved)
            QVERIFY(online.contains(frame));
        const QString marked = OfflineBanner::text(app.offlineDataTime());
        for (const RadarPaneView* pane : {content->detailPane(), content->overviewPane()}) {
            QTRY_COMPARE(pane->offlineBanner()->shownText(), marked);
            QVERIFY(pane->offlineBanner()->isVisible());
            QCOMPARE(pane->liveStatusBar()->modeText(), QStringLiteral("オフライン"));
        }
        QCOMPARE(content->statusText(), marked);
        QVERIFY(content->statusIsWarning());
        QTRY_COMPARE(content->header()->area(), WeatherHeaderView::Area::Forecast);
        QVERIFY(content->header()->currentPanel()->stampText()->text().startsWith(
            QStringLiteral("オフライン — ")));
        QTRY_VERIFY(!app.typhoon()->typhoons().isEmpty());
        RadarPlayer* detail = app.detailPlayer();
        if (detail->mode() == RadarPlaybackMode::Animation && saved.size() > 1) {
            const int index = detail->index();
            runClock(1.0);
            QVERIFY(detail->index() != index); // the saved frames play
        } else {
            QVERIFY(detail->currentFrame());
            QVERIFY(!detail->currentFrame()->isForecast());
        }

        // The agency answers again and the network returns: current data, no banner.
        m_server->setDown(false);
        Q_EMIT m_harness->network()->pathChanged(false);
        Q_EMIT m_harness->network()->pathChanged(true);
        QVERIFY(runClockUntil([&] { return !app.isOffline(); }, 10, 0.25));
        QCOMPARE(app.timeline()->frames(), online);
        for (const RadarPaneView* pane : {content->detailPane(), content->overviewPane()}) {
            QVERIFY(pane->offlineBanner()->shownText().isEmpty());
            QCOMPARE(pane->liveStatusBar()->modeText(), QStringLiteral("ライブ"));
        }
        QVERIFY(content->statusText().startsWith(QStringLiteral("レーダー更新 ")));
        // The forecast is current again after its next round.
        app.pausePlayback();
        QVERIFY(runClockUntil(
            [&] { return content->header()->currentPanel()->stampText()->isHidden(); }, 660, 30));
    }
};

SHIGUREN_TEST(TestEndToEnd)
#include "tst_e2e.moc"
