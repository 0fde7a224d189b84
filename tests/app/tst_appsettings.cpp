#include "app/AppSettings.h"
#include "app/ThemePreference.h"
#include "platform/Appearance.h"
#include "platform/Preferences.h"

#include <QFile>
#include <QGuiApplication>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestAppSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<QSettings> newStore()
    {
        return Preferences::openFile(m_dir.filePath(QStringLiteral("s%1.json").arg(++m_files)));
    }

    // Through a copy under a new name: QSettings would otherwise answer from its cache.
    std::unique_ptr<QSettings> reopen(QSettings& store)
    {
        store.sync();
        const QString copy = m_dir.filePath(QStringLiteral("s%1.json").arg(++m_files));
        return QFile::copy(store.fileName(), copy) ? Preferences::openFile(copy) : nullptr;
    }

    static QString key(const char* property)
    {
        return QLatin1String("Shiguren.") + QLatin1String(property);
    }

    QTemporaryDir m_dir;
    int m_files = 0;
    QPalette m_desktopPalette;

private Q_SLOTS:
    void initTestCase()
    {
        // Stands in for a desktop theme: dark, and unlike both built-in palettes.
        QPalette desktop = QGuiApplication::palette();
        desktop.setColor(QPalette::Window, QColor(0x40, 0x30, 0x20));
        desktop.setColor(QPalette::Highlight, QColor(0x20, 0x90, 0x40));
        QGuiApplication::setPalette(desktop);
        m_desktopPalette = QGuiApplication::palette();
    }

    void unexpectedStoredValuesGiveDefaults()
    {
        auto store = newStore();
        store->setValue(key("theme"), QStringLiteral("Dark"));
        store->setValue(key("textScale"), QByteArray("2"));
        store->setValue(key("framesPerSecond"), QStringLiteral("8"));
        store->setValue(key("loopPause"), QVariant(qlonglong(3)));
        store->setValue(key("showTyphoon"), QStringLiteral("false"));
        store->setValue(key("showRangeCircles"), 1.0);
        store->setValue(key("range"), QByteArray("twelveHours"));
        store->setValue(key("playbackMode"), QStringLiteral("Live"));

        const AppSettings settings(store.get());
        QCOMPARE(settings.theme(), ThemePreference::System);
        QCOMPARE(settings.textScale(), 1.0);
        QCOMPARE(settings.framesPerSecond(), 4.0);
        QCOMPARE(settings.loopPause(), 3.0);
        QCOMPARE(settings.showTyphoon(), true);
        QCOMPARE(settings.showRangeCircles(), false);
        QCOMPARE(settings.range(), RadarRange::ThreeHours);
        QCOMPARE(settings.playbackMode(), RadarPlaybackMode::Animation);
    }

    void everyPropertyDefaultsWritesNotifiesAndSurvivesReopening_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("fallback");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("stored");
        auto row = [](const char* property, const QVariant& fallback, const QVariant& value,
                      const QVariant& stored) {
            QTest::newRow(property) << QByteArray(property) << fallback << value << stored;
        };
        auto same = [&row](const char* property, const QVariant& fallback, const QVariant& v) {
            row(property, fallback, v, v);
        };
        row("theme", QVariant::fromValue(ThemePreference::System),
            QVariant::fromValue(ThemePreference::Dark), QStringLiteral("dark"));
        same("framesPerSecond", 4.0, 12.0);
        same("loopPause", 1.2, 0.5);
        same("stepMinutes", 5.0, 2.0);
        same("radarOpacity", 0.75, 0.3);
        row("range", QVariant::fromValue(RadarRange::ThreeHours),
            QVariant::fromValue(RadarRange::TwelveHours), QStringLiteral("twelveHours"));
        row("playbackMode", QVariant::fromValue(RadarPlaybackMode::Animation),
            QVariant::fromValue(RadarPlaybackMode::Live), QStringLiteral("live"));
        same("includeForecast", true, false);
        same("forecastHorizonHours", 6.0, 1.0);
        same("showTyphoon", true, false);
        same("showLightning", true, false);
        same("showPrefectureBorders", true, false);
        same("showPrefectureLabels", true, false);
        same("showRangeCircles", false, true);
        same("textScale", 1.0, 1.5);
    }

    void everyPropertyDefaultsWritesNotifiesAndSurvivesReopening()
    {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, fallback);
        QFETCH(QVariant, value);
        QFETCH(QVariant, stored);
        const char* name = property.constData();
        auto store = newStore();
        AppSettings settings(store.get());
        QCOMPARE(settings.property(name), fallback);
        const QMetaObject* meta = settings.metaObject();
        QSignalSpy changed(&settings, meta->property(meta->indexOfProperty(name)).notifySignal());

        QVERIFY(settings.setProperty(name, value));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(store->value(key(name)).metaType(), stored.metaType());
        QCOMPARE(store->value(key(name)), stored);

        store->remove(key(name));
        QVERIFY(settings.setProperty(name, value));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(store->value(key(name)), stored);

        auto reopened = reopen(*store);
        QVERIFY(reopened);
        QCOMPARE(AppSettings(reopened.get()).property(name), value);
    }

    void rangeAndFrameRatesAreWrittenAsGiven()
    {
        auto store = newStore();
        AppSettings settings(store.get());
        settings.setRange(RadarRange::TwelveHours);
        settings.setRange(RadarRange::ThreeHours);
        QCOMPARE(store->value(key("range")), QVariant(QStringLiteral("threeHours")));
        for (double rate : {0.0, -1.0}) {
            settings.setFramesPerSecond(rate);
            QCOMPARE(settings.framesPerSecond(), rate);
            auto reopened = reopen(*store);
            QVERIFY(reopened);
            QCOMPARE(reopened->value(key("framesPerSecond")), QVariant(rate));
            QCOMPARE(AppSettings(reopened.get()).framesPerSecond(), rate);
        }
    }

    void themeIsAppliedOnAssignmentOnly()
    {
        auto& appearance = Appearance::instance();
        appearance.apply(Appearance::Mode::Light);
        auto store = newStore();
        store->setValue(key("theme"), QStringLiteral("dark"));
        AppSettings settings(store.get());
        QCOMPARE(appearance.mode(), Appearance::Mode::Light);

        QSignalSpy themeChanged(&settings, &AppSettings::themeChanged);
        settings.setTheme(ThemePreference::Dark);
        QCOMPARE(themeChanged.size(), 0);
        QCOMPARE(appearance.mode(), Appearance::Mode::Dark);
    }

    void darkChangedOnlyOnARealChangeAndSystemRestoresTheDesktop()
    {
        auto& appearance = Appearance::instance();
        appearance.apply(Appearance::Mode::Light);
        QSignalSpy darkChanged(&appearance, &Appearance::darkChanged);

        appearance.apply(Appearance::Mode::Dark);
        appearance.apply(Appearance::Mode::Dark);
        QCOMPARE(darkChanged.size(), 1);
        QCOMPARE(darkChanged.at(0).at(0), QVariant(true));
        QCOMPARE(QGuiApplication::palette().color(QPalette::Window),
                 Appearance::darkPalette().color(QPalette::Window));

        appearance.apply(Appearance::Mode::Light);
        QCOMPARE(darkChanged.size(), 2);
        QVERIFY(!appearance.isDark());
        QCOMPARE(QGuiApplication::palette().color(QPalette::Window),
                 Appearance::lightPalette().color(QPalette::Window));

        appearance.apply(Appearance::Mode::System);
        for (auto role : {QPalette::Window, QPalette::Highlight})
            QCOMPARE(QGuiApplication::palette().color(role), m_desktopPalette.color(role));
        QVERIFY(appearance.isDark());
    }
};

int main(int argc, char** argv)
{
    // Palettes need a GUI application; run headless unless a platform was chosen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestAppSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appsettings.moc"
