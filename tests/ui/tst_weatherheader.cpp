#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "platform/Appearance.h"
#include "ui/CurrentWeatherPanel.h"
#include "ui/ForecastCard.h"
#include "ui/ForecastStrip.h"
#include "ui/HourlyCard.h"
#include "ui/HourlyStrip.h"
#include "ui/WeatherHeaderView.h"
#include "weather/WeatherService.h"

#include <QApplication>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QTest>
#include <QTimeZone>

using WeatherHeaderStyle::Tone;

namespace {

const QString kPath = QStringLiteral("/v1/forecast");

// As seen at 14:30 on 29 August 2025 in Tokyo, the time of the sample.
WeatherSnapshot tokyo()
{
    FakeClock clock;
    const auto response = OpenMeteoResponse::decode(
        TestData::read(QStringLiteral("openmeteo/forecast_tokyo_16d.json")));
    return makeSnapshot(response.value());
}

DailyForecast dayOn(QDate date, std::optional<qint64> probability = 30)
{
    DailyForecast day;
    day.id = date.toString(Qt::ISODate);
    day.date = QDateTime(date, QTime(0, 0), QTimeZone("Asia/Tokyo"));
    day.code = WeatherCode{61};
    day.high = 21.5;
    day.low = -2.5;
    day.precipitationProbability = probability;
    return day;
}

} // namespace

class TestWeatherHeader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        Appearance::instance().apply(Appearance::Mode::Light);
    }

    void progressUntilTheFirstForecastThenItsError()
    {
        FakeDataHosts server;
        QVERIFY(server.start());
        FakeClock clock;
        WeatherService service;
        WeatherHeaderView header;
        header.setWeatherService(&service);
        QCOMPARE(header.area(), WeatherHeaderView::Area::Empty);
        const auto load = [&](const FakeResponse& response, const char* log,
                              GeoCoordinate place = {35.68, 139.77}) {
            server.setRoute(kPath, response);
            QTest::ignoreMessage(response.status == 200 ? QtInfoMsg : QtWarningMsg,
                                 QRegularExpression(QString::fromUtf8(log)));
            service.load(place);
        };

        load(FakeResponse::error(500).withDelay(100), "^予報取得失敗");
        QCOMPARE(header.area(), WeatherHeaderView::Area::Progress);
        QCOMPARE(header.currentPanel()->temperatureText()->text(), u"—");
        QVERIFY(!header.currentPanel()->symbolView());

        QVERIFY(QTest::qWaitFor([&] { return !service.isLoading(); }));
        QCOMPARE(header.area(), WeatherHeaderView::Area::Error);
        QCOMPARE(header.errorText()->text(), service.errorMessage());

        // Once there, a forecast stays through a reload and a failed reload.
        load(FakeResponse::json(TestData::read(u"openmeteo/forecast_tokyo_16d.json"_qs)),
             "^予報取得完了");
        QVERIFY(QTest::qWaitFor([&] { return service.snapshot().has_value(); }));
        QCOMPARE(header.area(), WeatherHeaderView::Area::Forecast);
        QCOMPARE(header.hourlyStrip()->cardCount(), 24);
        QCOMPARE(header.currentPanel()->temperatureText()->text(), u"32°C");
        load(FakeResponse::error(503).withDelay(100), "^予報取得失敗");
        QCOMPARE(header.area(), WeatherHeaderView::Area::Forecast);
        QVERIFY(QTest::qWaitFor([&] { return !service.isLoading(); }));
        QCOMPARE(header.area(), WeatherHeaderView::Area::Forecast);

        // Another place: its load and its failure, never the old place's figures.
        load(FakeResponse::error(503).withDelay(100), "^予報取得失敗", {43.06, 141.35});
        QCOMPARE(header.area(), WeatherHeaderView::Area::Progress);
        QCOMPARE(header.currentPanel()->temperatureText()->text(), u"—");
        QVERIFY(QTest::qWaitFor([&] { return !service.isLoading(); }));
        QCOMPARE(header.area(), WeatherHeaderView::Area::Error);
    }

    void detailsFallBackToDashes()
    {
        CurrentConditions now = tokyo().current;
        now.sunrise.reset();
        CurrentWeatherPanel panel;
        panel.setConditions(now);
        QStringList shown;
        for (HeaderText* value : panel.detailValues())
            shown.append(value->text());
        QCOMPARE(shown,
                 (QStringList{u"37°C"_qs, u"23°C"_qs, u"14 km/h"_qs, u"58 %"_qs, u"南南東"_qs,
                              u"—"_qs, u"0 mm"_qs, u"18:13"_qs, u"1006 mbar"_qs, u"13:02"_qs}));
        QCOMPARE(panel.labelText()->text(), u"所により曇り");
        QCOMPARE(panel.symbolView()->symbol(), u"cloud.sun.fill");
    }

    void cardDatesAndProbabilities_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("probabilityKnown");
        QTest::addColumn<int>("tone");
        QTest::addColumn<QString>("text");
        QTest::newRow("weekday") << QDate(2025, 3, 21) << true << int(Tone::Primary)
                                 << "3/21（金）";
        QTest::newRow("Saturday") << QDate(2025, 3, 22) << false << int(Tone::Blue) << "3/22（土）";
        QTest::newRow("Sunday") << QDate(2025, 3, 23) << true << int(Tone::Red) << "3/23（日）";
        QTest::newRow("holiday") << QDate(2025, 3, 20) << true << int(Tone::Red) << "3/20（木）";
        QTest::newRow("holiday on a Saturday")
            << QDate(2025, 5, 3) << true << int(Tone::Red) << "5/3（土）";
    }
    void cardDatesAndProbabilities()
    {
        QFETCH(QDate, date);
        QFETCH(bool, probabilityKnown);
        QFETCH(int, tone);
        QFETCH(QString, text);
        QWidget parent;
        auto* card = new ForecastCard(
            dayOn(date, probabilityKnown ? std::optional<qint64>(30) : std::nullopt), 1.0, &parent);
        QCOMPARE(card->dateText()->text(), text);
        QCOMPARE(int(card->dateText()->tone()), tone);
        QCOMPARE(card->probabilityText()->text(), probabilityKnown ? u"30%"_qs : u"—"_qs);
        QCOMPARE(card->highText()->text(), u"22°");
        QCOMPARE(card->lowText()->text(), u"-3°");

        // A theme switch recolours the card as it stands.
        Appearance::instance().apply(Appearance::Mode::Dark);
        QTRY_VERIFY(Appearance::isDarkPalette(parent.palette()));
        QTRY_COMPARE(card->dateText()->palette().color(QPalette::WindowText),
                     WeatherHeaderStyle::color(Tone(tone), parent.palette()));
        Appearance::instance().apply(Appearance::Mode::Light);
    }

    void textScaleReachesEveryTextButNoSymbol()
    {
        WeatherHeaderView header;
        header.setSnapshot(tokyo());
        header.setTextScale(1.5);
        CurrentWeatherPanel* panel = header.currentPanel();
        for (HeaderText* text : panel->detailCaptions() + panel->detailValues())
            QCOMPARE(WeatherHeaderStyle::sizeOf(text->font()), 16.5);
        QCOMPARE(panel->symbolView()->symbolSize(), 40.0);
        ForecastCard* day = header.forecastStrip()->card(0);
        QCOMPARE(WeatherHeaderStyle::sizeOf(day->dateText()->font()), 19.5);

        // Cards made after the change get the scale too, and the band keeps its height.
        WeatherSnapshot later = tokyo();
        later.hourly.removeFirst();
        header.setSnapshot(later);
        QCOMPARE(WeatherHeaderStyle::sizeOf(header.hourlyStrip()->card(0)->timeText()->font()),
                 19.5);
        QCOMPARE(header.height(), 288);

        // Cards are 90 wide unless larger text needs more; no line is cut.
        header.show();
        QVERIFY(QTest::qWaitForWindowExposed(&header));
        QVERIFY(day->width() > 90);
        for (HeaderText* text : {day->dateText(), day->probabilityText()})
            QVERIFY(text->width() >= text->sizeHint().width());
        header.setTextScale(1.0);
        QTRY_COMPARE(header.forecastStrip()->card(0)->width(), 90); // a new card
    }
};

SHIGUREN_TEST(TestWeatherHeader)
#include "tst_weatherheader.moc"
