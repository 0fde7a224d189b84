#include "AgencyLists.h"
#include "AppStateHarness.h"
#include "TestRegistry.h"
#include "platform/LastGoodCopies.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"

#include <QFile>
#include <QTest>

namespace {

// Two zoom-6 tiles over Kanto: tiles the agency serves as they are, so each frame's pair is
// exactly what the prefetch asks for.
const QList<TilePath> kPaneTiles{{6, 56, 25, 1.0}, {6, 57, 25, 1.0}};
const MapRegion kPaneRegion{{35.68, 139.76}, 8, 8};

// The frames of `frames` whose two pane tiles were both asked of the agency.
RadarFrames framesWithFetchedTiles(const AppStateHarness& h, const RadarFrames& frames)
{
    RadarFrames fetched;
    for (const RadarFrame& frame : frames) {
        bool all = true;
        for (const TilePath& path : kPaneTiles) {
            const QString tail = QStringLiteral("/%1/surf/hrpns/%2/%3/%4.png")
                                     .arg(frame.validtime)
                                     .arg(path.tile.z)
                                     .arg(path.tile.x)
                                     .arg(path.tile.y);
            all = all && h.server.requestCount([&](const QString& p) {
                return p.contains(frame.basetime) && p.endsWith(tail);
            }) > 0;
        }
        if (all)
            fetched.append(frame);
    }
    return fetched;
}

QDateTime newestObservation(const RadarFrames& frames)
{
    QDateTime newest;
    for (const RadarFrame& frame : frames) {
        if (frame.isObservation() && (!newest.isValid() || frame.date > newest))
            newest = frame.date;
    }
    return newest;
}

// A run with the agency whose detail pane showed kPaneTiles until the prefetch had them;
// returns the frames it had.
RadarFrames warmRun(AppStateHarness& h)
{
    h.state->start();
    if (!h.waitForFrames())
        return {};
    h.state->updateVisibleTiles(kPaneTiles, kPaneRegion, AppState::Pane::Detail, false);
    if (!QTest::qWaitFor([&] { return !h.state->isPrefetching(); }, 5000))
        return {};
    return h.state->timeline()->frames();
}

} // namespace

// Starting without the agency: the frames of the saved lists whose tiles are at hand, marked
// as old, until the agency answers again.
class TestOffline : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void warmStartShowsSavedFramesUntilTheAgencyReturns_data()
    {
        QTest::addColumn<RadarPlaybackMode>("mode");
        QTest::addColumn<bool>("byReachability");
        QTest::newRow("animation, next poll") << RadarPlaybackMode::Animation << false;
        QTest::newRow("live, next poll") << RadarPlaybackMode::Live << false;
        QTest::newRow("animation, network returns") << RadarPlaybackMode::Animation << true;
    }
    void warmStartShowsSavedFramesUntilTheAgencyReturns()
    {
        QFETCH(RadarPlaybackMode, mode);
        QFETCH(bool, byReachability);
        AppStateHarness h({true, [mode](AppSettings& s) { s.setPlaybackMode(mode); }});
        const RadarFrames live = warmRun(h);
        QVERIFY(!live.isEmpty());
        QVERIFY(!h.state->isOffline());
        const RadarFrames atHand = framesWithFetchedTiles(h, live);
        QVERIFY(!atHand.isEmpty());

        h.server.setDown(true);
        h.relaunch();
        AppState& state = *h.state;
        state.updateVisibleTiles(kPaneTiles, kPaneRegion, AppState::Pane::Detail, false);
        state.start();
        QVERIFY(QTest::qWaitFor([&] { return state.isOffline(); }, 5000));
        QCOMPARE(state.timeline()->frames(), atHand);
        QCOMPARE(state.offlineDataTime(), newestObservation(atHand));
        QVERIFY(state.timeline()->savedCopyTime().isValid());
        QVERIFY(!state.timeline()->lastUpdated().isValid()); // never current in this run
        QVERIFY(!state.timeline()->errorMessage().isEmpty());

        RadarPlayer& player = *state.detailPlayer();
        if (mode == RadarPlaybackMode::Live) {
            QVERIFY(player.currentFrame());
            QCOMPARE(player.currentFrame()->date, newestObservation(atHand));
        } else if (atHand.size() > 1) {
            QVERIFY(player.isPlaying());
            const int first = player.index();
            h.clock.advanceSeconds(2);
            QTRY_VERIFY(player.index() != first); // the animation runs through them
        }

        // A view of tiles that were never fetched has no frame to show: the saved frames stay.
        state.updateVisibleTiles({{8, 227, 100, 1.0}}, kPaneRegion, AppState::Pane::Overview,
                                 false);
        QCOMPARE(state.timeline()->frames(), atHand);

        h.server.setDown(false);
        if (byReachability) {
            Q_EMIT h.network->pathChanged(false);
            Q_EMIT h.network->pathChanged(true);
        } else {
            h.clock.advanceSeconds(60); // one poll at the steady pace
        }
        QVERIFY(QTest::qWaitFor([&] { return !state.isOffline(); }, 5000));
        QCOMPARE(state.timeline()->frames(), live);
        QVERIFY(!state.timeline()->savedCopyTime().isValid());
        QVERIFY(state.timeline()->errorMessage().isNull());
    }

    // Nothing saved, or a saved list that does not read: the failure as it always was.
    void startWithoutUsableCopiesShowsTheFailure_data()
    {
        QTest::addColumn<QByteArray>("damage");
        QTest::newRow("empty cache") << QByteArray();
        QTest::newRow("truncated") << QByteArray("truncate");
        QTest::newRow("not a copy") << QByteArray("garbage");
        QTest::newRow("list does not read") << QByteArray("badjson");
    }
    void startWithoutUsableCopiesShowsTheFailure()
    {
        QFETCH(QByteArray, damage);
        AppStateHarness h;
        if (!damage.isEmpty()) {
            QVERIFY(!warmRun(h).isEmpty());
            const LastGoodCopies copies(h.savedCopiesDirectory());
            const QString key = QStringLiteral("nowc/targetTimes_N1.json");
            QFile file(copies.filePath(key));
            QVERIFY(file.exists());
            if (damage == "badjson") {
                copies.save(key, "[{\"basetime\":", h.clock.now());
            } else {
                QVERIFY(file.open(QIODevice::ReadWrite));
                const QByteArray whole = file.readAll();
                QVERIFY(file.resize(0));
                file.seek(0);
                file.write(damage == "truncate" ? whole.left(whole.size() - 40)
                                                : QByteArray("\x89PNG\r\n"));
                file.close();
            }
        }
        h.server.setDown(true);
        h.relaunch();
        h.log.clear();
        LogCapture radarLog(QStringLiteral("jp.shiguren.Shiguren.radar"));
        AppState& state = *h.state;
        state.start();
        QVERIFY(QTest::qWaitFor([&] { return !state.timeline()->errorMessage().isNull(); }, 5000));
        h.clock.advanceSeconds(61); // a second failed poll changes nothing
        QVERIFY(
            QTest::qWaitFor([&] { return state.timeline()->consecutiveFailures() >= 2; }, 5000));
        QVERIFY(!state.isOffline());
        QVERIFY(state.timeline()->frames().isEmpty());
        QVERIFY(!state.detailPlayer()->currentFrame());
        if (!damage.isEmpty()) {
            const QStringList why = h.log.matching(QStringLiteral("保存したコピーを使いません")) +
                                    radarLog.matching(QStringLiteral("保存した"));
            QVERIFY2(!why.isEmpty(), "the unusable copy is not logged");
        }
    }
};

SHIGUREN_TEST(TestOffline)
#include "tst_offline.moc"
