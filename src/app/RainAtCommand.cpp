#include "app/RainAtCommand.h"

#include "app/AppSettings.h"
#include "locations/LocationStore.h"
#include "outlook/RainBand.h"
#include "outlook/RainOutlookService.h"
#include "outlook/RainOutlookText.h"
#include "platform/Clock.h"
#include "platform/JapanTime.h"
#include "platform/Preferences.h"
#include "platform/async/TaskScope.h"
#include "radar/RadarTimeline.h"
#include "tiles/RadarTileLoader.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <cstdio>

namespace {

// What the agency's radar covers, with a margin; outside it every tile is empty and "no
// rain" would be a lie.
constexpr double kSouth = 20.0;
constexpr double kNorth = 48.0;
constexpr double kWest = 118.0;
constexpr double kEast = 150.0;

// Lists (40 s a transfer) and up to a few dozen tiles (60 s a transfer) fit well inside.
constexpr int kTimeLimitMs = 120 * 1000;

struct Outcome {
    std::optional<RainOutlook> outlook;
    QString failure; // why there is no outlook, in Japanese
};

async::Task<void> fetchOutlook(RadarTimeline& timeline, AgencyTileSource& tiles,
                               RainAtCommand::Place place, Outcome& outcome, QEventLoop& loop)
{
    async::Task<void> load = timeline.reload();
    co_await load;
    if (async::isCancelled())
        co_return;
    if (timeline.frames().isEmpty()) {
        outcome.failure = timeline.errorMessage().isEmpty()
                              ? QStringLiteral("レーダーの時刻一覧が空でした。")
                              : timeline.errorMessage();
        loop.quit();
        co_return;
    }
    async::Task<RainOutlook> compute =
        RainOutlookService::compute(tiles, timeline.frames(), place.name, place.coordinate);
    RainOutlook outlook = co_await compute;
    if (async::isCancelled())
        co_return;
    outcome.outlook = std::move(outlook);
    loop.quit();
}

QString isoInJapan(const QDateTime& time)
{
    return JapanTime::of(time).toString(Qt::ISODate);
}

QString kindName(RainOutlookStep::Kind kind)
{
    switch (kind) {
    case RainOutlookStep::Kind::Observation:
        return QStringLiteral("observation");
    case RainOutlookStep::Kind::Nowcast:
        return QStringLiteral("nowcast");
    case RainOutlookStep::Kind::Forecast:
        return QStringLiteral("forecast");
    }
    return {};
}

QJsonValue bound(std::optional<double> mmPerHour)
{
    return mmPerHour ? QJsonValue(*mmPerHour) : QJsonValue(QJsonValue::Null);
}

// A step whose tile could not be had is left out: every step in the answer is data.
QByteArray json(const RainOutlook& outlook, const QString& sentence)
{
    QJsonArray steps;
    for (const RainOutlookStep& step : outlook.steps) {
        if (!step.known)
            continue;
        steps.append(
            QJsonObject{{QStringLiteral("time"), isoInJapan(step.time)},
                        {QStringLiteral("kind"), kindName(step.kind)},
                        {QStringLiteral("minMmPerHour"), RainBand::lowerBound(step.band)},
                        {QStringLiteral("maxMmPerHour"), bound(RainBand::upperBound(step.band))}});
    }
    const QJsonObject place{{QStringLiteral("name"), outlook.placeName},
                            {QStringLiteral("latitude"), outlook.place.latitude},
                            {QStringLiteral("longitude"), outlook.place.longitude}};
    const QJsonObject root{{QStringLiteral("place"), place},
                           {QStringLiteral("dataTime"), isoInJapan(outlook.dataTime)},
                           {QStringLiteral("sentence"), sentence},
                           {QStringLiteral("steps"), steps}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray text(const RainOutlook& outlook, const QString& sentence)
{
    QString out = sentence + u'\n';
    for (const RainOutlookStep& step : outlook.steps) {
        QString band = QStringLiteral("データなし");
        if (step.known)
            band = step.band == RainBand::kDry ? QStringLiteral("雨なし")
                                               : RainBand::rangeText(step.band);
        out += QStringLiteral("%1  %2\n").arg(JapanTime::of(step.time).toString(u"HH:mm"), band);
    }
    return out.toUtf8();
}

std::optional<GeoCoordinate> coordinateIn(const QString& spec)
{
    const QStringList parts = spec.split(u',');
    if (parts.size() != 2)
        return std::nullopt;
    bool latitudeOk = false;
    bool longitudeOk = false;
    const GeoCoordinate c{parts[0].trimmed().toDouble(&latitudeOk),
                          parts[1].trimmed().toDouble(&longitudeOk)};
    if (!latitudeOk || !longitudeOk)
        return std::nullopt;
    return c;
}

} // namespace

namespace RainAtCommand {

PlaceOrRefusal resolve(const QString& spec, const SavedLocations& saved)
{
    if (const std::optional<GeoCoordinate> c = coordinateIn(spec)) {
        // NaN fails every comparison, so it is refused here too.
        if (!(c->latitude >= kSouth && c->latitude <= kNorth && c->longitude >= kWest &&
              c->longitude <= kEast)) {
            return {std::nullopt,
                    QStringLiteral("%1 はレーダーの範囲外です（北緯%2〜%3度、東経%4〜%5度）。")
                        .arg(spec)
                        .arg(kSouth)
                        .arg(kNorth)
                        .arg(kWest)
                        .arg(kEast)};
        }
        return {Place{spec, *c}, {}};
    }
    for (Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const SavedLocation& location : saved) {
            if (location.name.compare(spec, sensitivity) == 0)
                return {Place{location.name, location.coordinate()}, {}};
        }
    }
    return {std::nullopt,
            QStringLiteral(
                "場所 %1 が見つかりません。「緯度,経度」か、登録した地点の名前を指定してください。")
                .arg(spec)};
}

int run(const CommandLine::Request& request)
{
    const std::unique_ptr<Preferences::Store> preferences = Preferences::openStandard();
    const AppSettings settings(preferences.get());
    const LocationStore places(preferences.get());
    const PlaceOrRefusal resolved = resolve(request.place, places.locations());
    if (!resolved.place)
        return CommandLine::fail(CommandLine::kBadArguments, resolved.refusal);

    // The three-hour timeline holds the nowcast; the forecast range is the user's.
    RadarTimeline timeline;
    timeline.setRange(RadarRange::ThreeHours);
    timeline.setIncludeForecast(settings.includeForecast());
    timeline.setForecastHorizonHours(settings.forecastHorizonHours());
    RadarTileLoader tiles;

    Outcome outcome;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        outcome.failure =
            QStringLiteral("%1 秒以内にデータを取得できませんでした。").arg(kTimeLimitMs / 1000);
        loop.quit();
    });
    {
        async::TaskScope scope;
        scope.spawn(fetchOutlook(timeline, tiles.agency(), *resolved.place, outcome, loop));
        limit.start(kTimeLimitMs);
        loop.exec();
    }
    if (!outcome.outlook)
        return CommandLine::fail(CommandLine::kNoData, outcome.failure);

    const QDateTime now = Clock::current().now();
    if (RainOutlookText::isStale(*outcome.outlook, now)) {
        const QDateTime newest = outcome.outlook->dataTime;
        return CommandLine::fail(
            CommandLine::kNoData,
            newest.isValid()
                ? QStringLiteral("最新のレーダー情報がありません（いちばん新しい観測は %1）。")
                      .arg(JapanTime::of(newest).toString(u"M/d HH:mm"))
                : QStringLiteral("この場所のレーダー観測を取得できませんでした。"));
    }
    const QString sentence = RainOutlookText::sentence(*outcome.outlook, now);
    const QByteArray out =
        request.json ? json(*outcome.outlook, sentence) : text(*outcome.outlook, sentence);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace RainAtCommand
