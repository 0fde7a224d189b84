#include "outlook/RainOutlookService.h"

#include "outlook/OutlookFrames.h"
#include "outlook/RainSampler.h"
#include "platform/PropertyHelpers.h"
#include "platform/async/ThreadPool.h"
#include "platform/async/WhenAll.h"
#include "radar/RadarTimeline.h"
#include "tiles/AgencyTileSource.h"
#include "tiles/HazardAtPlace.h"

#include <vector>

namespace {

// As many downloads at once as the prefetch allows itself.
constexpr size_t kDownloadsAtOnce = 6;

using TileBytes = std::optional<QByteArray>;

std::vector<std::optional<int>> sampleAll(const std::vector<TileBytes>& tiles,
                                          const TileMath::TilePixel& at)
{
    std::vector<std::optional<int>> bands;
    bands.reserve(tiles.size());
    for (const TileBytes& bytes : tiles)
        bands.push_back(bytes ? RainSampler::bandAt(*bytes, at.x, at.y) : std::nullopt);
    return bands;
}

// The frames that say something about the hour from `now`: the one in force at `now` (at
// most ten minutes older) and those after it up to an hour ahead.
RadarFrames hourFrom(const RadarFrames& frames, const QDateTime& now)
{
    RadarFrames hour;
    for (const RadarFrame& frame : frames) {
        if (frame.date > now.addSecs(-600) && frame.date <= now.addSecs(3600))
            hour.append(frame);
    }
    return hour;
}

} // namespace

RainOutlookService::RainOutlookService(AgencyTileSource& tiles, QObject* parent)
    : QObject(parent)
    , m_tiles(tiles)
{}

RainOutlookService::~RainOutlookService() = default;

void RainOutlookService::setPlace(QString name, GeoCoordinate place)
{
    if (m_place == place && m_name == name)
        return;
    m_name = std::move(name);
    m_place = place;
    recompute();
}

void RainOutlookService::setFrames(RadarFrames frames)
{
    const bool changed = assignIfChanged(m_frames, std::move(frames));
    if (!m_frames.isEmpty() && !OutlookFrames::holdsNowcast(m_frames))
        reloadNowcast();
    if (changed)
        recompute();
}

void RainOutlookService::setHazardFrames(RadarFrames thunder, RadarFrames tornado)
{
    const bool thunderChanged = assignIfChanged(m_thunder, std::move(thunder));
    const bool tornadoChanged = assignIfChanged(m_tornado, std::move(tornado));
    if (thunderChanged || tornadoChanged)
        recompute();
}

void RainOutlookService::reloadNowcast()
{
    if (!m_nowcast) {
        m_nowcast = new RadarTimeline(this);
        m_nowcast->setRange(RadarRange::ThreeHours);
        // One hour of nowcast and no hourly forecasts: those come with the frames handed in.
        m_nowcast->setIncludeForecast(true);
        m_nowcast->setForecastHorizonHours(1);
        connect(m_nowcast, &RadarTimeline::framesChanged, this, &RainOutlookService::recompute);
    }
    // Frames handed in twice in one turn (a load reports new frames and its end) load once.
    if (!m_nowcastReload.isActive())
        m_nowcastReload = m_tasks.spawn(m_nowcast->reload());
}

RadarFrames RainOutlookService::framesToSample() const
{
    if (OutlookFrames::holdsNowcast(m_frames) || !m_nowcast)
        return m_frames;
    return OutlookFrames::withForecastsOf(m_nowcast->frames(), m_frames);
}

void RainOutlookService::recompute()
{
    m_computeTask.cancel();
    if (!m_place)
        return;
    m_computeTask =
        m_tasks.spawn(computeAndPublish(framesToSample(), m_thunder, m_tornado, m_name, *m_place));
}

async::Task<void> RainOutlookService::computeAndPublish(RadarFrames frames, RadarFrames thunder,
                                                        RadarFrames tornado, QString name,
                                                        GeoCoordinate place)
{
    async::Task<RainOutlook> computing =
        compute(m_tiles, std::move(frames), std::move(name), place);
    RainOutlook outlook = co_await computing;
    if (async::isCancelled())
        co_return;
    if (outlook.dataTime.isValid()) {
        async::Task<int> thunderLevel =
            HazardAtPlace::highestLevel(m_tiles, hourFrom(thunder, outlook.dataTime), place);
        outlook.thunderLevel = co_await thunderLevel;
        if (async::isCancelled())
            co_return;
        async::Task<int> tornadoLevel =
            HazardAtPlace::highestLevel(m_tiles, hourFrom(tornado, outlook.dataTime), place);
        outlook.tornadoLevel = co_await tornadoLevel;
        if (async::isCancelled())
            co_return;
    }
    publish(outlook);
}

void RainOutlookService::publish(const RainOutlook& outlook)
{
    if (assignIfChanged(m_outlook, outlook))
        Q_EMIT outlookChanged();
}

async::Task<RainOutlook> RainOutlookService::compute(AgencyTileSource& tiles, RadarFrames frames,
                                                     QString name, GeoCoordinate place)
{
    RainOutlook outlook{std::move(name), place, {}, {}};
    const OutlookFrames::Selection selection = OutlookFrames::select(frames);
    if (selection.picks.isEmpty())
        co_return outlook;
    const TileMath::TilePixel at = RainSampler::pixelOf(place);

    // Tiles the source holds in memory cost nothing; the others download side by side.
    std::vector<TileBytes> bytes(size_t(selection.picks.size()));
    std::vector<size_t> missing;
    std::vector<async::Task<TileBytes>> downloads;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const RadarFrame& frame = selection.picks.at(qsizetype(i)).frame;
        bytes[i] = tiles.tileInMemory(frame, at.tile);
        if (!bytes[i]) {
            missing.push_back(i);
            downloads.push_back(tiles.tileData(frame, at.tile));
        }
    }
    if (!downloads.empty()) {
        auto join = async::whenAll(std::move(downloads), kDownloadsAtOnce);
        std::vector<TileBytes> fetched = co_await join;
        if (async::isCancelled())
            co_return outlook;
        for (size_t k = 0; k < missing.size(); ++k)
            bytes[missing[k]] = std::move(fetched[k]);
    }

    auto sampling =
        async::runInPool([bytes = std::move(bytes), at] { return sampleAll(bytes, at); });
    const std::optional<std::vector<std::optional<int>>> bands = co_await sampling;
    if (async::isCancelled() || !bands)
        co_return outlook;

    outlook.dataTime = selection.newestObservation;
    for (qsizetype i = 0; i < selection.picks.size(); ++i) {
        const OutlookFrames::Pick& pick = selection.picks.at(i);
        const std::optional<int> band = bands->at(size_t(i));
        outlook.steps.append({pick.frame.date, pick.kind, band.value_or(0), band.has_value()});
    }
    co_return outlook;
}
