#include "FakeClock.h"
#include "RainOutlookSamples.h"
#include "TestRegistry.h"
#include "outlook/RainOutlookText.h"
#include "ui/RainOutlookRow.h"
#include "ui/RainOutlookStrip.h"
#include "ui/WeatherHeaderView.h"
#include "ui/WeatherHeaderViewStyle.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

using rainsample::outlook;

namespace {

const QList<int> kDryHour(12, 0);
const QList<int> kDryPast(13, 0);

QString tipOf(const RainOutlookStrip& strip, int index)
{
    return strip.toolTipAt(strip.barRect(index).center());
}

} // namespace

class TestRainOutlookRow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stripHoldsTheTwoHoursAroundNow()
    {
        RainOutlookStrip strip;
        // Hourly forecasts and a nowcast past the hour stay out of the strip.
        strip.setOutlook(outlook(kDryPast, QList<int>(13, 2), {4, 4}));
        const QList<RainOutlookStrip::Bar>& bars = strip.bars();
        QCOMPARE(bars.size(), 25);
        QList<int> now;
        for (qsizetype i = 0; i < bars.size(); ++i) {
            if (bars[i].now)
                now.append(int(i));
            QCOMPARE(bars[i].past, i < 12);
        }
        QCOMPARE(now, QList<int>{12});
        QCOMPARE(bars[12].time, rainsample::dataTime());
        for (qsizetype i = 1; i < bars.size(); ++i)
            QVERIFY(strip.barRect(int(i)).left() >= strip.barRect(int(i - 1)).right());
        QVERIFY(strip.barRect(24).right() < strip.sizeHint().width());

        // Bars stand by time: with a short past, "now" keeps its place.
        const QRect nowRect = strip.barRect(12);
        strip.setOutlook(outlook({0, 0}, kDryHour));
        QCOMPARE(strip.bars().size(), 14);
        QVERIFY(strip.bars()[1].now);
        QCOMPARE(strip.barRect(1), nowRect);

        strip.setOutlook({});
        QVERIFY(strip.bars().isEmpty());
        QCOMPARE(strip.toolTipAt(nowRect.center()), QString());
    }

    void stripToolTips_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        QTest::newRow("past observation") << 0 << "13:30\u3000雨なし";
        QTest::newRow("missing frame") << 11 << "14:25\u3000データなし";
        QTest::newRow("now") << 12 << "14:30\u30000.1〜1 mm/h";
        QTest::newRow("nowcast") << 15 << "14:45\u30005〜10 mm/h";
        QTest::newRow("heaviest") << 24 << "15:30\u300080 mm/h以上";
    }
    void stripToolTips()
    {
        QFETCH(int, index);
        QFETCH(QString, expected);
        QList<int> past(13, 0);
        past[11] = -1;
        past[12] = 1;
        QList<int> nowcast(12, 2);
        nowcast[2] = 3;
        nowcast[11] = 8;
        RainOutlookStrip strip;
        strip.setOutlook(outlook(past, nowcast));
        QCOMPARE(tipOf(strip, index), expected);

        // Hovering asks the same question.
        strip.show();
        const QPoint at = strip.barRect(index).center();
        QHelpEvent hover(QEvent::ToolTip, at, strip.mapToGlobal(at));
        QApplication::sendEvent(&strip, &hover);
        QCOMPARE(QToolTip::text(), expected);
        QToolTip::hideText();
    }

    void sentenceFollowsTheOutlookAndTheClock()
    {
        FakeClock clock(rainsample::dataTime().addSecs(2 * 60));
        WeatherHeaderView header;
        RainOutlookRow* row = header.rainRow();
        QVERIFY(row->isHidden());
        QCOMPARE(header.height(), 288);

        header.setRainOutlook(outlook(kDryPast, kDryHour));
        QVERIFY(!row->isHidden());
        QVERIFY(header.height() > 288);
        QCOMPARE(row->sentenceText()->text(), u"この先1時間、雨の予報はありません");

        header.setRainOutlook(outlook(kDryPast, {0, 0, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(row->sentenceText()->text(), u"約15分後から雨の見込み（5〜10 mm/h）");
        QCOMPARE(row->strip()->bars().size(), 25);

        // The minutes count down with the clock, and an hour-old picture says nothing.
        clock.advance(std::chrono::minutes(5));
        QCOMPARE(row->sentenceText()->text(), u"約10分後から雨の見込み（5〜10 mm/h）");
        clock.advance(std::chrono::minutes(5));
        QCOMPARE(row->sentenceText()->text(), u"約5分後から雨の見込み（5〜10 mm/h）");
        clock.advance(std::chrono::minutes(3));
        QCOMPARE(row->sentenceText()->text(), u"約5分後から雨の見込み（5〜10 mm/h）");
        clock.advance(std::chrono::minutes(1));
        QCOMPARE(row->sentenceText()->text(), u"最新のレーダー情報がないため、見込みを出せません");

        // Without an outlook the row goes, and nothing is left ticking.
        header.setRainOutlook({});
        QVERIFY(row->isHidden());
        QCOMPARE(header.height(), 288);
        QCOMPARE(clock.pendingTimers(), 0);
    }

    void rowFollowsTheTextScale()
    {
        WeatherHeaderView header;
        header.setRainOutlook(outlook(kDryPast, kDryHour));
        RainOutlookStrip* strip = header.rainRow()->strip();
        const int height = header.height();
        const QSize stripSize = strip->sizeHint();
        header.setTextScale(1.5);
        QCOMPARE(WeatherHeaderStyle::sizeOf(header.rainRow()->sentenceText()->font()), 21.0);
        QVERIFY(header.height() > height);
        // The time labels grow; the bars keep their width.
        QVERIFY(strip->sizeHint().height() > stripSize.height());
        QCOMPARE(strip->sizeHint().width(), stripSize.width());
        header.setTextScale(1.0);
        QCOMPARE(header.height(), height);
    }
};

SHIGUREN_TEST(TestRainOutlookRow)
#include "tst_rainoutlookrow.moc"
