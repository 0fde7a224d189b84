#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "ui/TyphoonCard.h"
#include "ui/TyphoonDetailView.h"
#include "weather/Fmt.h"

#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;
using Row = TyphoonCard::DetailRow;
using Body = TyphoonDetailView::Body;

namespace {

TyphoonInfo cyclone(const QString& id, const QString& number)
{
    TyphoonInfo info;
    info.id = id;
    info.typhoonNumber = number;
    info.categoryText = u"台風"_s;
    info.isTyphoon = true;
    info.location = u"日本の南"_s;
    info.course = u"北西"_s;
    info.speedKmh = u"15"_s;
    info.pressureHpa = u"985"_s;
    return info;
}

QStringList labelTexts(const QWidget& view, const QString& name)
{
    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>(name))
        texts.append(label->text());
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(TyphoonCard::DetailRow)
Q_DECLARE_METATYPE(TyphoonDetailView::Content)
Q_DECLARE_METATYPE(TyphoonDetailView::Body)

class TestTyphoonViews : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void detailRows_data()
    {
        QTest::addColumn<TyphoonInfo>("info");
        QTest::addColumn<QList<Row>>("rows");

        TyphoonInfo full = cyclone(u"TC2514"_s, u"14"_s);
        full.maxSustainedMs = u"25"_s;
        full.maxGustMs = u"35"_s;
        QTest::newRow("all five") << full
                                  << QList<Row>{{u"存在地域"_s, u"日本の南"_s},
                                                {u"進行方向"_s, u"北西 15 km/h"_s},
                                                {u"中心気圧"_s, u"985 hPa"_s},
                                                {u"最大風速"_s, u"25 m/s"_s},
                                                {u"最大瞬間風速"_s, u"35 m/s"_s}};

        TyphoonInfo noSpeed = cyclone(u"TC2514"_s, u"14"_s);
        noSpeed.speedKmh.reset();
        noSpeed.location.reset();
        QTest::newRow("course without speed")
            << noSpeed << QList<Row>{{u"進行方向"_s, u"北西"_s}, {u"中心気圧"_s, u"985 hPa"_s}};

        TyphoonInfo noCourse = cyclone(u"TC2514"_s, u"14"_s);
        noCourse.course.reset();
        noCourse.pressureHpa.reset();
        QTest::newRow("speed without course is not shown")
            << noCourse << QList<Row>{{u"存在地域"_s, u"日本の南"_s}};

        TyphoonInfo bare;
        bare.categoryText = u"熱帯低気圧"_s;
        QTest::newRow("nothing published") << bare << QList<Row>{};
    }

    void detailRows()
    {
        QFETCH(TyphoonInfo, info);
        QFETCH(QList<Row>, rows);
        QCOMPARE(TyphoonCard::detailRows(info), rows);
        TyphoonCard card(info);
        QCOMPARE(labelTexts(card, u"value"_s).size(), rows.size());
    }

    void bodyFollowsTheService_data()
    {
        QTest::addColumn<TyphoonDetailView::Content>("content");
        QTest::addColumn<Body>("body");
        QTest::addColumn<QString>("status");
        const TyphoonInfos one{cyclone(u"TC2514"_s, u"14"_s)};
        const TyphoonInfos three{one[0], cyclone(u"TC2515"_s, u"15"_s),
                                 cyclone(u"TC2516"_s, u"16"_s)};
        const QDateTime at = FakeClock::scenarioNow();
        QTest::newRow("first pass running") << TyphoonDetailView::Content{{}, true, {}, {}}
                                            << Body::Checking << TyphoonDetailView::checkingText();
        QTest::newRow("no cyclones") << TyphoonDetailView::Content{{}, false, {}, at}
                                     << Body::NoTyphoons << TyphoonDetailView::noTyphoonsText();
        QTest::newRow("cyclones while reloading")
            << TyphoonDetailView::Content{three, true, {}, at} << Body::Cards << QString();
        QTest::newRow("failure hides held cyclones")
            << TyphoonDetailView::Content{one, false, u"台風情報を取得できませんでした（x）"_s, at}
            << Body::Error << QString();
    }

    void bodyFollowsTheService()
    {
        QFETCH(TyphoonDetailView::Content, content);
        QFETCH(Body, body);
        QFETCH(QString, status);
        TyphoonDetailView view;
        view.setContent(content);
        QCOMPARE(view.body(), body);
        const bool cards = body == Body::Cards;
        QCOMPARE(view.findChildren<TyphoonCard*>().size(), cards ? content.typhoons.size() : 0);
        QCOMPARE(labelTexts(view, u"status"_s),
                 status.isNull() ? QStringList() : QStringList{status});
        QCOMPARE(labelTexts(view, u"error"_s),
                 body == Body::Error ? QStringList{content.errorMessage} : QStringList());
        if (cards)
            QCOMPARE(labelTexts(view, u"name"_s).last(), u"台風16号"_s);
        auto* time = view.findChild<QLabel*>(u"updatedAt"_s);
        QCOMPARE(time->isHidden(), !content.lastUpdated.isValid());
        if (content.lastUpdated.isValid())
            QCOMPARE(time->text(), Fmt::clock(content.lastUpdated));
    }

    void followsARealService()
    {
        FakeDataHosts server;
        QVERIFY(server.start());
        const auto serve = [&](const QString& name) {
            server.setRoute(u"/bosai/typhoon/data/"_s + name,
                            FakeResponse::json(TestData::read(u"jma/typhoon/scenario/"_s + name)));
        };
        for (const QString& name :
             {u"targetTc.json"_s, u"TC2514/forecast.json"_s, u"TC2514/specifications.json"_s,
              u"TC2516/forecast.json"_s, u"TC2516/specifications.json"_s})
            serve(name);

        TyphoonService service;
        TyphoonDetailView view;
        view.setService(&service);
        QCOMPARE(view.body(), Body::NoTyphoons);
        QVERIFY(runTask(service.reload()));
        QCOMPARE(view.findChildren<TyphoonCard*>().size(), int(service.typhoons().size()));

        // A failed pass shows only its message; the next good pass brings the cards back.
        server.setRoute(u"/bosai/typhoon/data/targetTc.json"_s, FakeResponse::error(500));
        QVERIFY(runTask(service.reload()));
        QCOMPARE(view.body(), Body::Error);
        QVERIFY(view.findChildren<TyphoonCard*>().isEmpty());
        serve(u"targetTc.json"_s);
        QVERIFY(runTask(service.reload()));
        QCOMPARE(view.body(), Body::Cards);
        QCOMPARE(view.findChildren<TyphoonCard*>().size(), int(service.typhoons().size()));
    }
};

SHIGUREN_TEST(TestTyphoonViews)
#include "tst_typhoonviews.moc"
