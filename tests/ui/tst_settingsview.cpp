#include "../app/AppStateHarness.h"
#include "TestRegistry.h"
#include "WidgetParts.h"
#include "platform/Autostart.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "ui/PaneStyle.h"
#include "ui/SettingsView.h"
#include "ui/SettingsViewControls.h"
#include "ui/SettingsWindow.h"
#include "update/SoftwareUpdaterModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using testing::part;

QString text(const QWidget& view, const QString& name)
{
    return part<QLabel>(view, name)->text();
}

// The colour of a symbol icon's most opaque pixel, without its opacity.
QRgb inkOf(const QIcon& icon)
{
    const QImage image = icon.pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
    QRgb ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > qAlpha(ink))
                ink = image.pixel(x, y);
    return ink | 0xff000000;
}

} // namespace

class TestSettingsView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create(u"Fusion"_s)); }

    void valueTexts_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("expected");
        QTest::newRow("opacity 0.29 truncates") << SettingsView::percentText(0.29) << u"28%"_s;
        QTest::newRow("text size 1.1") << SettingsView::percentText(1.1) << u"110%"_s;
        QTest::newRow("pause") << SettingsView::loopPauseText(0.8) << u"0.8 秒"_s;
        QTest::newRow("step") << SettingsView::stepMinutesText(15) << u"15 分ごと"_s;
        QTest::newRow("horizon") << SettingsView::forecastHorizonText(6.9)
                                 << u"6 時間先まで（1時間先までは5分刻み、それ以降は1時間刻み）"_s;
    }

    void valueTexts()
    {
        QFETCH(QString, shown);
        QFETCH(QString, expected);
        QCOMPARE(shown, expected);
    }

    // What live mode then does to the timeline is the controller's business (tests/app).
    void switchingToLiveGoesThroughTheController()
    {
        AppStateHarness h({true, [](AppSettings& s) { s.setIncludeForecast(false); }});
        SettingsView view(h.state.get());
        QCOMPARE(text(view, u"playbackModeNote"_s), u"過去のコマから順に再生します。"_s);
        QVERIFY(part(view, u"stepMinutesRow"_s)->isEnabled());
        QTest::mouseClick(part<SettingsSegmentedPicker>(view, u"playbackMode"_s)->button(1),
                          Qt::LeftButton);
        QCOMPARE(h.state->detailPlayer()->mode(), RadarPlaybackMode::Live);
        QVERIFY(h.state->timeline()->includeForecast());
        QCOMPARE(text(view, u"playbackModeNote"_s),
                 u"最新の観測だけを表示し、新しいコマが出たら自動で切り替えます。"_s);
        for (const QString& name : {u"framesPerSecond"_s, u"loopPause"_s, u"stepMinutes"_s}) {
            QVERIFY(!part(view, name)->isEnabled());
            QVERIFY(part(view, name)->isVisibleTo(&view));
        }
    }

    void forecastOffGreysOutTheHorizon()
    {
        AppStateHarness h;
        SettingsView view(h.state.get());
        const QStringList horizon{u"forecastHorizonHours"_s, u"forecastHorizonHoursValue"_s,
                                  u"forecastHorizonNote"_s};
        for (const QString& name : horizon)
            QVERIFY(part(view, name)->isEnabled());

        part<QCheckBox>(view, u"includeForecast"_s)->click();
        QVERIFY(!h.state->timeline()->includeForecast()); // through the controller
        for (const QString& name : horizon)
            QVERIFY2(!part(view, name)->isEnabled(), qPrintable(name));
        // Borders off leaves the label toggle alone.
        part<QCheckBox>(view, u"showPrefectureBorders"_s)->click();
        QVERIFY(!h.settings->showPrefectureBorders());
        QVERIFY(part(view, u"showPrefectureLabels"_s)->isEnabled());
    }

    // The toggle shows the autostart entry as it is, and says so when it cannot write one.
    void launchAtLoginFollowsTheEntry()
    {
        QTemporaryDir home;
        const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        AppStateHarness h;
        SettingsView view(h.state.get());
        auto* box = part<QCheckBox>(view, u"launchAtLogin"_s);
        QVERIFY(!box->isChecked());
        box->click();
        QVERIFY(box->isChecked());
        QVERIFY(Autostart::isEnabled());
        box->click();
        QVERIFY(!box->isChecked());
        QVERIFY(!QFile::exists(Autostart::entryPath()));

        QVERIFY(QDir(home.path() + u"/autostart"_s).removeRecursively());
        QFile blocker(home.path() + u"/autostart"_s); // a file where the folder belongs
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        box->click();
        QVERIFY(!box->isChecked());
        QVERIFY(
            part<QLabel>(view, u"launchAtLoginNote"_s)->text().contains(u"書き込めませんでした"_s));
        qputenv("XDG_CONFIG_HOME", previous);
    }

    void playbackSlidersReachThePlayers()
    {
        AppStateHarness h;
        SettingsView view(h.state.get());
        auto* speed = part<SettingsStepSlider>(view, u"framesPerSecond"_s);
        speed->setValue(speed->positionFor(2.5));
        QCOMPARE(h.state->overviewPlayer()->framesPerSecond(), 2.5);
        QCOMPARE(text(view, u"framesPerSecondValue"_s), u"2.5 コマ/秒"_s);

        auto* pause = part<SettingsStepSlider>(view, u"loopPause"_s);
        pause->setValue(4);
        QCOMPARE(h.state->detailPlayer()->loopPause(), 0.8);

        QTest::mouseClick(part<SettingsSegmentedPicker>(view, u"range"_s)->button(1),
                          Qt::LeftButton);
        QCOMPARE(h.state->timeline()->range(), RadarRange::TwelveHours);
        QCOMPARE(text(view, u"rangeNote"_s), u"解析雨量／降水短時間予報・10分刻み"_s);
    }

    void followsChangesMadeElsewhere()
    {
        AppStateHarness h;
        SettingsView view(h.state.get());
        h.state->setPlaybackMode(RadarPlaybackMode::Live); // the main window's picker
        QCOMPARE(part<SettingsSegmentedPicker>(view, u"playbackMode"_s)->currentIndex(), 1);
        QVERIFY(!part(view, u"stepMinutesRow"_s)->isEnabled());

        // A stored value outside the slider's range is shown as it is and never rewritten
        // by the slider's clamped position.
        h.settings->setFramesPerSecond(0.3);
        QCOMPARE(text(view, u"framesPerSecondValue"_s), u"0.3 コマ/秒"_s);
        QCOMPARE(part<SettingsStepSlider>(view, u"framesPerSecond"_s)->value(), 0);
        QCOMPARE(h.settings->framesPerSecond(), 0.3);
    }

    void nowcastSwitchesStoreAndFollowTheSettings()
    {
        AppStateHarness h;
        SettingsView view(h.state.get());
        for (const auto& [name, get, set] :
             {std::tuple{u"showThunder"_s, &AppSettings::showThunder, &AppSettings::setShowThunder},
              std::tuple{u"showTornado"_s, &AppSettings::showTornado,
                         &AppSettings::setShowTornado}}) {
            auto* box = part<QCheckBox>(view, name);
            QVERIFY(box->isChecked());
            box->click();
            QVERIFY(!(h.settings.get()->*get)());
            (h.settings.get()->*set)(true); // switched back in a pane's legend
            QVERIFY(box->isChecked());
        }
    }

    void popoverUseTakesNoFocus()
    {
        AppStateHarness h;
        SettingsView view(h.state.get());
        QCOMPARE(part(view, u"radarOpacity"_s)->focusPolicy(), Qt::StrongFocus);
        view.setTakesKeyboardFocus(false);
        const QList<QWidget*> all = view.findChildren<QWidget*>();
        for (QWidget* each : all) {
            if (qobject_cast<QAbstractButton*>(each) || qobject_cast<QAbstractSlider*>(each))
                QVERIFY2(each->focusPolicy() == Qt::NoFocus, qPrintable(each->objectName()));
        }
    }

    void tabIconsFollowTheTheme()
    {
        AppStateHarness h;
        SoftwareUpdaterModel updater(h.preferences.get());
        h.settings->setTheme(ThemePreference::Light);
        SettingsWindow window(h.state.get(), &updater);
        for (const ThemePreference theme : {ThemePreference::Dark, ThemePreference::Light}) {
            h.settings->setTheme(theme);
            const QRgb ink = PaneStyle::primaryText(window.palette()).rgb();
            for (int tab = 0; tab < window.tabs()->count(); ++tab)
                QCOMPARE(inkOf(window.tabs()->tabIcon(tab)), ink);
        }
    }
};

SHIGUREN_TEST(TestSettingsView)
#include "tst_settingsview.moc"
