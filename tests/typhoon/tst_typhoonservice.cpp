#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "typhoon/TyphoonService.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

using namespace Qt::StringLiterals;

namespace {

const QString kList = u"/bosai/typhoon/data/targetTc.json"_s;
const QString kTyphoon = u"TC2514"_s;
const QString kDepression = u"TC2516"_s;

QString document(const QString& id, const char* name)
{
    return u"/bosai/typhoon/data/"_s + id + u'/' + QLatin1String(name);
}

FakeResponse fixture(const QString& name)
{
    return FakeResponse::json(TestData::read(u"jma/typhoon/"_s + name));
}

QStringList idsOf(const TyphoonInfos& typhoons)
{
    QStringList ids;
    for (const TyphoonInfo& info : typhoons)
        ids.append(info.id);
    return ids;
}

} // namespace

class TestTyphoonService : public QObject {
    Q_OBJECT

    std::optional<FakeDataHosts> m_server;
    FakeClock m_clock;

    void serveScenario(int delayMs = 0)
    {
        m_server->setRoute(kList, fixture(u"scenario/targetTc.json"_s));
        for (const QString& id : {kTyphoon, kDepression}) {
            for (const char* name : {"forecast.json", "specifications.json"}) {
                const QString path = u"scenario/"_s + id + u'/' + QLatin1String(name);
                m_server->setRoute(document(id, name), fixture(path).withDelay(delayMs));
            }
        }
    }

    int detailRequests() const
    {
        return m_server->requestCount([](const QString& path) { return path != kList; });
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_server.emplace().start());
        serveScenario();
    }
    void cleanup() { m_server.reset(); }

    void reloadDownloadsEveryCycloneAtOnceThenOnlyWhenTheListChanges()
    {
        serveScenario(150); // slow answers: downloads in turn would never overlap
        // The list comes gzip-compressed without Content-Encoding.
        m_server->setRoute(kList, fixture(u"synthetic/targetTc_scenario.json.gz"_s));
        TyphoonService service;
        QSignalSpy typhoonsSpy(&service, &TyphoonService::typhoonsChanged);
        QVERIFY(runTask(service.reload()));

        QCOMPARE(idsOf(service.typhoons()), (QStringList{kTyphoon, kDepression})); // "2510" < "a"
        QVERIFY(!service.typhoons().last().speedKmh); // a speed note without km/h
        QCOMPARE(service.lastIssues(),
                 (TyphoonIssueMap{{kTyphoon, u"2025-08-29T15:45:00+09:00"_s},
                                  {kDepression, u"2025-08-29T15:30:00+09:00"_s}}));
        QCOMPARE(detailRequests(), 4);
        QVERIFY(m_server->maxSimultaneousConnections() >= 4);

        // While cyclones are shown, an unchanged list only refreshes the time stamp.
        m_server->clearRequests();
        m_clock.advance(600s);
        QVERIFY(runTask(service.reload()));
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(service.lastUpdated(), m_clock.now());
        QCOMPARE(typhoonsSpy.count(), 1);

        m_server->setRoute(kList, fixture(u"synthetic/targetTc_new_issue.json"_s));
        QVERIFY(runTask(service.reload()));
        QCOMPARE(detailRequests(), 4);
    }

    void failingCyclonesAreLeftOutAndFetchedAgain()
    {
        m_server->setRoute(document(kDepression, "specifications.json"),
                           FakeResponse::dropped("[{"));
        m_server->setRoute(document(kTyphoon, "forecast.json"),
                           fixture(u"scenario/edge_forecast_without_analysis.json"_s));
        TyphoonService service;
        QTest::failOnWarning(QRegularExpression(u"."_s));
        for (int pass = 1; pass <= 2; ++pass) {
            // Only the failed download is logged; a forecast without analysis is left out
            // silently.
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(u"^台風TC2516の詳細取得失敗: "_s));
            QVERIFY(runTask(service.reload()));
            QVERIFY(service.typhoons().isEmpty());
            QVERIFY(service.errorMessage().isNull());
            // Only the cyclone whose details arrived counts as seen.
            QCOMPARE(service.lastIssues().keys(), QStringList{kTyphoon});
        }
        // With no cyclone shown, an unchanged list still has every detail fetched again.
        QCOMPARE(detailRequests(), 8);
    }

    void aCycloneThatFailedBesideAShownOneIsFetchedAgain()
    {
        m_server->setRouteSequence(
            document(kDepression, "specifications.json"),
            {FakeResponse::dropped("[{"), fixture(u"scenario/TC2516/specifications.json"_s)});
        TyphoonService service;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^台風TC2516の詳細取得失敗: "_s));
        QVERIFY(runTask(service.reload()));
        QCOMPARE(idsOf(service.typhoons()), QStringList{kTyphoon});

        QVERIFY(runTask(service.reload())); // the same list
        QCOMPARE(idsOf(service.typhoons()), (QStringList{kTyphoon, kDepression}));
        QCOMPARE(service.lastIssues().size(), 2);
    }

    void failedListKeepsEverythingUntilTheNextSuccess()
    {
        TyphoonService service;
        QVERIFY(runTask(service.reload()));
        const TyphoonInfos good = service.typhoons();
        const QDateTime updated = service.lastUpdated();

        m_server->setRoute(kList, FakeResponse::text("<html>busy</html>", 503));
        m_clock.advance(600s);
        QTest::ignoreMessage(QtWarningMsg,
                             "targetTc 取得失敗: サーバがエラーを返しました: HTTP 503");
        QVERIFY(runTask(service.reload()));
        QCOMPARE(service.errorMessage(),
                 u"台風情報を取得できませんでした（サーバがエラーを返しました: HTTP 503）"_s);
        QCOMPARE(service.typhoons(), good);
        QCOMPARE(service.lastIssues().size(), 2);
        QCOMPARE(service.lastUpdated(), updated);

        // An empty list is a success: it clears the message and every cyclone.
        m_server->setRoute(kList, fixture(u"empty/targetTc.json"_s));
        QVERIFY(runTask(service.reload()));
        QVERIFY(service.typhoons().isEmpty());
        QVERIFY(service.lastIssues().isEmpty());
        QVERIFY(service.errorMessage().isNull());
    }

    void repeatedAndUnsafeIdentifiers()
    {
        m_server->setRoute(kList, fixture(u"synthetic/targetTc_repeated_and_odd_ids.json"_s));
        TyphoonService service;
        QTest::ignoreMessage(QtWarningMsg, "台風..の詳細取得失敗: URL が正しくありません");
        QVERIFY(runTask(service.reload()));
        QCOMPARE(idsOf(service.typhoons()), (QStringList{kTyphoon, kDepression}));
        QCOMPARE(detailRequests(), 4); // once per cyclone, nothing outside their directories
        QCOMPARE(service.lastIssues().value(kTyphoon), u"2025-08-29T15:45:00+09:00"_s);
    }

    void loopSleepsBeforeEachPass()
    {
        TyphoonService service;
        service.startAutoRefresh(600);
        FakeClock::settle();
        m_clock.advance(599s);
        QVERIFY(!service.isLoading());
        QCOMPARE(m_clock.pendingTimers(), 1); // still the first sleep, no transfer limit
        m_clock.advance(1s);
        QTRY_COMPARE(service.typhoons().size(), 2);
    }

    void cancelledPassPublishesNothing()
    {
        m_server->setRoute(document(kDepression, "forecast.json"), FakeResponse::hanging());
        QTest::failOnWarning(QRegularExpression(u"."_s));
        TyphoonService service;
        QSignalSpy typhoonsSpy(&service, &TyphoonService::typhoonsChanged);
        QSignalSpy issuesSpy(&service, &TyphoonService::lastIssuesChanged);
        async::TaskScope scope; // after the service: destroyed first
        const async::TaskHandle handle = scope.spawn(service.reload());
        QTRY_COMPARE(m_server->requestCount(document(kDepression, "forecast.json")), 1);
        QTRY_COMPARE(m_server->requestCount(document(kTyphoon, "specifications.json")), 1);
        handle.cancel();
        QTRY_VERIFY(!service.isLoading());
        QCOMPARE(typhoonsSpy.count() + issuesSpy.count(), 0);
        QVERIFY(!service.lastUpdated().isValid());
    }

    // Without the agency at the start: the saved cyclones, marked, until a pass succeeds;
    // then what the agency lists replaces them, even an empty list.
    void savedCyclonesStandInUntilAPassSucceeds()
    {
        QTemporaryDir dir;
        const LastGoodCopies copies(dir.path());
        const QDateTime fetched = m_clock.now();
        {
            TyphoonService first;
            first.setSavedCopies(copies);
            QVERIFY(runTask(first.reload()));
            QVERIFY(!first.savedCopyTime().isValid());
        }
        m_clock.advance(3600s);
        m_server->setRoute(kList, FakeResponse::error(503));
        TyphoonService second;
        second.setSavedCopies(copies);
        QVERIFY(runTask(second.reload()));
        QCOMPARE(idsOf(second.typhoons()), (QStringList{kTyphoon, kDepression}));
        QCOMPARE(second.savedCopyTime(), fetched);
        QVERIFY(!second.errorMessage().isNull());
        QVERIFY(second.lastIssues().isEmpty());

        // A damaged cyclone document leaves that cyclone out, and only it.
        QFile damaged(copies.filePath(u"typhoon-"_s + kDepression + u"-forecast.json"_s));
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.close();
        TyphoonService third;
        third.setSavedCopies(copies);
        QVERIFY(runTask(third.reload()));
        QCOMPARE(idsOf(third.typhoons()), QStringList{kTyphoon});

        m_server->setRoute(kList, FakeResponse::json("[]"));
        QSignalSpy marks(&third, &TyphoonService::savedCopyTimeChanged);
        QVERIFY(runTask(third.reload()));
        QVERIFY(third.typhoons().isEmpty());
        QVERIFY(!third.savedCopyTime().isValid());
        QCOMPARE(marks.count(), 1);
    }
};

SHIGUREN_GUILESS_TEST(TestTyphoonService)
#include "tst_typhoonservice.moc"
