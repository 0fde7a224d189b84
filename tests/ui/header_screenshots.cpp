#include "FakeClock.h"
#include "RainOutlookSamples.h"
#include "TestData.h"
#include "platform/Appearance.h"
#include "ui/RainOutlookRow.h"
#include "ui/WeatherHeaderView.h"
#include "weather/OpenMeteoResponse.h"
#include "weather/WeatherSnapshot.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QStyleFactory>
#include <QTest>

#include <cstdio>

// Pictures of the forecast header with its rain row, one for each kind of sentence in the
// light and the dark theme, for a person to look at after a change to the row.

namespace {

struct Scene {
    const char* name;
    RainOutlook outlook;
    int minutesLate = 2; // the clock past the newest observation
    double scale = 1.0;
};

QList<Scene> scenes()
{
    using rainsample::outlook;
    const QList<int> dry(12, 0);
    const QList<int> dryPast(13, 0);
    QList<int> gaps{0, 0, 1, 1, 2, 2, 1, -1, -1, 1, 1, 0};
    return {
        {"dry", outlook(dryPast, dry, {0, 1, 2})},
        {"starts", outlook(dryPast, {0, 0, 1, 2, 3, 3, 2, 2, 1, 1, 0, 0})},
        {"stops",
         outlook({0, 0, 1, 1, 2, 2, 3, 3, 4, 3, 3, 2, 2}, {2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"continues",
         outlook({1, 1, 2, 2, 2, 3, 3, 2, 2, 2, 3, 3, 2}, {2, 3, 3, 4, 3, 2, 2, 2, 3, 3, 2, 2})},
        {"strong",
         outlook({0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5}, {5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1, 1})},
        {"stale", outlook({0, 0, 1, -1, -1, 2, 2, 1, 1, 1, 0, 0, 0}, gaps), 20},
        {"strong-large-text",
         outlook({0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5}, {5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1, 1}), 2,
         1.5},
    };
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());
    const auto response = OpenMeteoResponse::decode(
        TestData::read(QStringLiteral("openmeteo/forecast_tokyo_16d.json")));
    // The sample's hours are cut at the clock's now: 14:30 in Tokyo, as in the outlooks.
    const WeatherSnapshot snapshot = [&] {
        FakeClock sampleTime(rainsample::dataTime());
        return makeSnapshot(response.value());
    }();

    for (const auto mode : {Appearance::Mode::Light, Appearance::Mode::Dark}) {
        Appearance::instance().apply(mode);
        const QString theme = mode == Appearance::Mode::Dark ? u"dark"_qs : u"light"_qs;
        for (const Scene& scene : scenes()) {
            FakeClock clock(rainsample::dataTime().addSecs(scene.minutesLate * 60));
            WeatherHeaderView header;
            header.setSnapshot(snapshot);
            header.setTextScale(scene.scale);
            header.setRainOutlook(scene.outlook);
            header.resize(1280, header.height());
            header.show();
            QTest::qWait(50);
            const QString file = folder.filePath(
                QStringLiteral("header-%1-%2.png").arg(QLatin1String(scene.name), theme));
            if (!header.grab().save(file)) {
                std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
                return 1;
            }
            std::printf("%s\n", qPrintable(file));
            // The row alone at two device pixels a unit, to see the bars' edges.
            QWidget* row = header.rainRow();
            QImage sharp(row->size() * 2, QImage::Format_ARGB32_Premultiplied);
            sharp.setDevicePixelRatio(2);
            row->render(&sharp);
            const QString rowFile = folder.filePath(
                QStringLiteral("row-%1-%2@2x.png").arg(QLatin1String(scene.name), theme));
            if (!sharp.save(rowFile)) {
                std::fprintf(stderr, "cannot save %s\n", qPrintable(rowFile));
                return 1;
            }
        }
    }
    return 0;
}
