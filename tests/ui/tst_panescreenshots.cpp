// Renders every pane view in the light and the dark theme over a map-like backdrop. The
// checks are about legibility; set SHIGUREN_SHOT_DIR to also keep the pictures for a look.

#include "FakeClock.h"
#include "PaneTestFrames.h"
#include "platform/Appearance.h"
#include "ui/ActivitySpinner.h"
#include "ui/LiveStatusBar.h"
#include "ui/Material.h"
#include "ui/PaneStyle.h"
#include "ui/Popover.h"
#include "ui/RadarLegendView.h"
#include "ui/TimelineSliderView.h"
#include "ui/ToneLabel.h"
#include "ui/TyphoonDetailView.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QPainter>
#include <QStyleFactory>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace PaneTestFrames;

namespace {

double luminance(QColor c)
{
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor over(QColor top, QColor bottom)
{
    const float a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + bottom.redF() * (1 - a),
                            top.greenF() * a + bottom.greenF() * (1 - a),
                            top.blueF() * a + bottom.blueF() * (1 - a));
}

TyphoonInfo sampleCyclone(const QString& number, const QString& name)
{
    TyphoonInfo info;
    info.id = u"TC25"_s + number;
    info.typhoonNumber = number;
    info.name = name;
    info.categoryText = u"強い台風"_s;
    info.isTyphoon = true;
    info.location = u"日本の南"_s;
    info.course = u"北西"_s;
    info.speedKmh = u"15"_s;
    info.pressureHpa = u"965"_s;
    info.maxSustainedMs = u"35"_s;
    info.maxGustMs = u"50"_s;
    return info;
}

} // namespace

class TestPaneScreenshots : public QObject {
    Q_OBJECT

    QString m_dir;
    bool m_dark = false;

    // Over a pale map with bands of rain colours, so translucent panels show what they do.
    void shoot(QWidget& widget, const QString& name)
    {
        QCoreApplication::processEvents(); // pending relayouts settle first
        const qreal ratio = widget.devicePixelRatioF();
        const QSize size = widget.size() + QSize(24, 24);
        QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        {
            QPainter painter(&image);
            painter.fillRect(QRect(QPoint(), size),
                             m_dark ? QColor(40, 44, 52) : QColor(236, 234, 226));
            const QColor rain[] = {QColor(160, 210, 255), QColor(33, 140, 255), QColor(250, 245, 0),
                                   QColor(255, 40, 0)};
            for (int i = 0; i < 4; ++i)
                painter.fillRect(QRect(i * size.width() / 5 + size.width() / 10, 0,
                                       size.width() / 10, size.height()),
                                 rain[i]);
        }
        widget.render(&image, QPoint(12, 12), QRegion(), QWidget::DrawChildren);
        QVERIFY(!widget.size().isEmpty());
        if (!m_dir.isEmpty())
            image.save(u"%1/%2-%3@%4x.png"_s.arg(m_dir, name, m_dark ? u"dark"_s : u"light"_s)
                           .arg(int(ratio)));
    }

    void setTheme(bool dark)
    {
        m_dark = dark;
        Appearance::instance().apply(dark ? Appearance::Mode::Dark : Appearance::Mode::Light);
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
        m_dir = qEnvironmentVariable("SHIGUREN_SHOT_DIR");
        if (!m_dir.isEmpty())
            QDir().mkpath(m_dir);
    }
    void cleanupTestCase() { Appearance::instance().apply(Appearance::Mode::Light); }

    void textReadsOnTheMaterials()
    {
        for (const QPalette& palette : {Appearance::lightPalette(), Appearance::darkPalette()}) {
            for (QColor map : {QColor(Qt::white), QColor(Qt::black), QColor(250, 245, 0)}) {
                for (auto kind : {Material::Kind::Bar, Material::Kind::Thin}) {
                    const QColor ground = over(Material::fill(kind, palette), map);
                    QVERIFY2(contrast(PaneStyle::primaryText(palette), ground) >= 4.5,
                             qPrintable(map.name()));
                    QVERIFY(contrast(over(PaneStyle::secondaryText(palette), ground), ground) >= 3);
                }
            }
        }
    }

    void labelsFollowTheTheme()
    {
        QWidget panel;
        auto* label =
            new ToneLabel(u"存在地域"_s, 10, QFont::Normal, ToneLabel::Tone::Secondary, &panel);
        for (bool dark : {false, true}) {
            setTheme(dark);
            QCOMPARE(label->palette().color(QPalette::WindowText),
                     PaneStyle::secondaryText(dark ? Appearance::darkPalette()
                                                   : Appearance::lightPalette()));
        }
        label->setTone(ToneLabel::Tone::Orange);
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 PaneStyle::orange(Appearance::darkPalette()));
    }

    void popoversAndBars_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }
    void popoversAndBars()
    {
        QFETCH(bool, dark);
        setTheme(dark);
        QWidget window;
        window.resize(400, 60);
        window.show();
        Popover legend(&window);
        legend.setContent(new RadarLegendView);
        legend.showAnchoredTo(&window);
        shoot(legend, u"legend-popover"_s);
        legend.close();

        Popover typhoon(&window);
        auto* view = new TyphoonDetailView;
        const QDateTime now = FakeClock::scenarioNow();
        view->setContent(
            {{sampleCyclone(u"14"_s, u"カジキ"_s), sampleCyclone(u"15"_s, u"ノングル"_s)},
             false,
             {},
             now});
        typhoon.setContent(view);
        typhoon.showAnchoredTo(&window);
        shoot(typhoon, u"typhoon-popover"_s);
        view->setContent({{sampleCyclone(u"14"_s, u"カジキ"_s)},
                          false,
                          u"台風情報を取得できませんでした（サーバーに接続できませんでした）"_s,
                          now});
        shoot(*view, u"typhoon-error"_s);
        view->setContent({{}, false, {}, now});
        shoot(*view, u"typhoon-none"_s);

        RadarPlayer player;
        player.update(liveTimeline());
        RadarPlayer empty;
        TimelineSliderView slider(&player);
        TimelineSliderView loading(&empty);
        LiveStatusBar live(&player, nullptr);
        LiveStatusBar waiting(&empty, nullptr);
        for (QWidget* bar : std::initializer_list<QWidget*>{&slider, &loading, &live, &waiting})
            bar->resize(720, bar->sizeHint().height());
        slider.show();
        shoot(slider, u"timeline-observation"_s);
        player.scrub(player.index() + 8);
        shoot(slider, u"timeline-forecast"_s);
        shoot(loading, u"timeline-loading"_s);
        player.setMode(RadarPlaybackMode::Live);
        live.show();
        shoot(live, u"live-now"_s);
        player.setLiveOffsetMinutes(180);
        shoot(live, u"live-3h"_s);
        live.resize(420, live.height());
        shoot(live, u"live-narrow"_s);
        shoot(waiting, u"live-loading"_s);

        QWidget spinners;
        auto* row = new QHBoxLayout(&spinners);
        for (qreal size : {qreal(ActivitySpinner::kSmall), ActivitySpinner::kSmall * 0.7,
                           qreal(ActivitySpinner::kMini), qreal(48)})
            row->addWidget(new ActivitySpinner(size, &spinners));
        spinners.adjustSize();
        shoot(spinners, u"spinners"_s);
    }
};

QTEST_MAIN(TestPaneScreenshots)
#include "tst_panescreenshots.moc"
