#include "TestRegistry.h"
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

    // Each property: its default, a value it takes, how that value is written, and a stored
    // value of the wrong shape (foreign) with what it reads as (the default unless given).
    void everyPropertyDefaultsWritesNotifiesAndSurvivesReopening_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("fallback");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("foreign");
        QTest::addColumn<QVariant>("foreignReads");
        auto row = [](const char* property, const QVariant& fallback, const QVariant& value,
                      const QVariant& stored, const QVariant& foreign = {},
                      const QVariant& foreignReads = {}, const char* tag = "") {
            QTest::addRow("%s%s", property, tag)
                << QByteArray(property) << fallback << value << stored << foreign
                << (foreignReads.isValid() ? foreignReads : fallback);
        };
        const auto theme = [](ThemePreference t) { return QVariant::fromValue(t); };
        const auto range = [](RadarRange r) { return QVariant::fromValue(r); };
        const auto mode = [](RadarPlaybackMode m) { return QVariant::fromValue(m); };
        row("theme", theme(ThemePreference::System), theme(ThemePreference::Dark),
            QStringLiteral("dark"), QStringLiteral("Dark"));
        row("framesPerSecond", 4.0, 12.0, 12.0, QStringLiteral("8"));
        row("framesPerSecond", 4.0, 0.0, 0.0, {}, {}, " zero"); // written as given
        row("framesPerSecond", 4.0, -1.0, -1.0, {}, {}, " negative");
        row("loopPause", 1.2, 0.5, 0.5, QVariant(qlonglong(3)), 3.0); // integers are numbers
        row("stepMinutes", 5.0, 2.0, 2.0);
        row("radarOpacity", 0.75, 0.3, 0.3);
        row("range", range(RadarRange::ThreeHours), range(RadarRange::TwelveHours),
            QStringLiteral("twelveHours"), QByteArray("twelveHours"));
        row("range", range(RadarRange::ThreeHours), range(RadarRange::ThreeHours),
            QStringLiteral("threeHours"), {}, {}, " default is written too");
        row("playbackMode", mode(RadarPlaybackMode::Animation), mode(RadarPlaybackMode::Live),
            QStringLiteral("live"), QStringLiteral("Live"));
        row("includeForecast", true, false, false);
        row("forecastHorizonHours", 6.0, 1.0, 1.0);
        row("showTyphoon", true, false, false, QStringLiteral("false"));
        row("showLightning", true, false, false);
        row("showThunder", true, false, false, QStringLiteral("false"));
        row("showTornado", true, false, false);
        row("showPrefectureBorders", true, false, false);
        row("showPrefectureLabels", true, false, false);
        row("showRangeCircles", false, true, true, 1.0);
        row("textScale", 1.0, 1.5, 1.5, QByteArray("2"));
        row("rainAlertsEnabled", false, true, true, QStringLiteral("true"));
        row("rainAlertMinimumMmPerHour", 1.0, 0.1, 0.1, QStringLiteral("5"));
        row("rainAlertLeadMinutes", 30.0, 60.0, 60.0, QVariant(qlonglong(10)), 10.0);
        row("keepRunningInTray", false, true, true, 1.0);
    }

    void everyPropertyDefaultsWritesNotifiesAndSurvivesReopening()
    {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, fallback);
        QFETCH(QVariant, value);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, foreign);
        QFETCH(QVariant, foreignReads);
        const char* name = property.constData();
        auto store = newStore();
        if (foreign.isValid()) {
            store->setValue(key(name), foreign);
            QCOMPARE(AppSettings(store.get()).property(name), foreignReads);
            store->remove(key(name));
        }
        AppSettings settings(store.get());
        QCOMPARE(settings.property(name), fallback);
        const QMetaObject* meta = settings.metaObject();
        QSignalSpy changed(&settings, meta->property(meta->indexOfProperty(name)).notifySignal());
        const int notifications = value == fallback ? 0 : 1;

        QVERIFY(settings.setProperty(name, value));
        QCOMPARE(changed.size(), notifications);
        QCOMPARE(store->value(key(name)).metaType(), stored.metaType());
        QCOMPARE(store->value(key(name)), stored);

        store->remove(key(name));
        QVERIFY(settings.setProperty(name, value));
        QCOMPARE(changed.size(), notifications);
        QCOMPARE(store->value(key(name)), stored);

        auto reopened = reopen(*store);
        QVERIFY(reopened);
        QCOMPARE(AppSettings(reopened.get()).property(name), value);
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
        const auto window = [] { return QGuiApplication::palette().color(QPalette::Window); };

        appearance.apply(Appearance::Mode::Dark);
        appearance.apply(Appearance::Mode::Dark);
        QCOMPARE(darkChanged.size(), 1);
        QCOMPARE(window(), Appearance::darkPalette().color(QPalette::Window));
        appearance.apply(Appearance::Mode::Light);
        QCOMPARE(darkChanged.size(), 2);
        QCOMPARE(window(), Appearance::lightPalette().color(QPalette::Window));

        appearance.apply(Appearance::Mode::System);
        for (auto role : {QPalette::Window, QPalette::Highlight})
            QCOMPARE(QGuiApplication::palette().color(role), m_desktopPalette.color(role));
        QVERIFY(appearance.isDark());
    }
};

static int runTests(int argc, char** argv)
{
    // Palettes need a GUI application; run headless unless a platform was chosen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestAppSettings test;
    return QTest::qExec(&test, argc, argv);
}

SHIGUREN_TEST_WITH_MAIN(runTests)
#include "tst_appsettings.moc"
