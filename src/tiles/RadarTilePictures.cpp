#include "tiles/RadarTilePictures.h"

#include "platform/Clock.h"
#include "platform/async/ThreadPool.h"
#include "platform/async/WhenAll.h"
#include "tiles/AgencyTileSource.h"
#include "tiles/TileAddress.h"

#include <algorithm>
#include <array>

namespace {

// Pictures shown within this long are not evicted for newcomers.
constexpr qint64 kKeepMs = 20'000;
// Zoom-10 tiles kept decoded while their squares are cut out: more than a detail map shows.
constexpr int kDecodedAncestors = 32;

// An agency tile shown as its own bytes.
TileImages::DisplayTile agencyTile(const QByteArray& bytes)
{
    return {bytes, {}, TileImages::isEmptyTile(bytes)};
}

bool isValid(const TileId& tile)
{
    return tile.z >= 0 && tile.z <= 30 && tile.x >= 0 && tile.y >= 0;
}

} // namespace

RadarTilePictures::RadarTilePictures(AgencyTileSource& source, qint64 cacheBytes)
    : m_source(source)
    , m_made(cacheBytes, kKeepMs)
    , m_ancestors(std::make_shared<DecodedAncestors>(kDecodedAncestors))
{}

async::Task<std::optional<TileImages::DisplayTile>> RadarTilePictures::displayTile(RadarFrame frame,
                                                                                   TilePath path)
{
    const TileId tile = path.tile;
    if (!isValid(tile))
        co_return std::nullopt;

    if (TileAddress::isServedZoom(frame.product, tile.z)) {
        const std::optional<QByteArray> bytes = co_await m_source.tileData(frame, tile);
        if (!bytes)
            co_return std::nullopt;
        co_return agencyTile(*bytes);
    }
    const int side = TileImages::displaySide(path.scale);
    if (const TileImages::DisplayTile* kept =
            m_made.find({frame.id(), tile, side}, steadyClockMs()))
        co_return *kept;
    if (tile.z < TileAddress::deepestZoom(frame.product))
        co_return co_await composedTile(frame, tile, side);
    co_return co_await croppedTile(frame, tile, side);
}

std::optional<TileImages::DisplayTile>
RadarTilePictures::displayTileInMemory(const RadarFrame& frame, const TilePath& path)
{
    const TileId& tile = path.tile;
    if (!isValid(tile))
        return std::nullopt;
    if (!TileAddress::isServedZoom(frame.product, tile.z)) {
        const TileImages::DisplayTile* kept =
            m_made.find({frame.id(), tile, TileImages::displaySide(path.scale)}, steadyClockMs());
        return kept ? std::optional(*kept) : emptySourceInMemory(frame, tile);
    }
    const std::optional<QByteArray> bytes = m_source.tileInMemory(frame, tile);
    if (!bytes)
        return std::nullopt;
    return agencyTile(*bytes);
}

// Empty sources make no picture to keep; what they make is answered from the sources
// themselves when they are at hand (most thunder and tornado tiles are empty).
std::optional<TileImages::DisplayTile>
RadarTilePictures::emptySourceInMemory(const RadarFrame& frame, const TileId& tile)
{
    const int deepest = TileAddress::deepestZoom(frame.product);
    QList<TileId> sources;
    if (tile.z > deepest)
        sources = {tile.ancestor(tile.z - deepest)};
    else
        for (int i = 0; i < 4; ++i)
            sources.append({tile.z + 1, 2 * tile.x + (i & 1), 2 * tile.y + (i >> 1)});
    std::optional<QByteArray> first;
    for (const TileId& source : std::as_const(sources)) {
        const std::optional<QByteArray> bytes = m_source.tileInMemory(frame, source);
        if (!bytes || !TileImages::isEmptyTile(*bytes))
            return std::nullopt;
        if (!first)
            first = bytes;
    }
    return agencyTile(*first);
}

// Only pictures are worth keeping (empty tiles cost no work), and none made while the
// agency may still be filling in one of its sources.
void RadarTilePictures::keep(const FrameTileKey& key, const RadarFrame& frame,
                             const std::optional<TileImages::DisplayTile>& tile,
                             bool hasEmptySource)
{
    if (!tile || tile->image.isNull())
        return;
    if (hasEmptySource && AgencyTileSource::mayStillFill(frame))
        return;
    m_made.insert(key, *tile, tile->image.sizeInBytes(), steadyClockMs());
}

// Odd zooms: the four tiles of the next level, fetched concurrently. Missing or all-empty
// quadrants need no image work at all.
async::Task<std::optional<TileImages::DisplayTile>>
RadarTilePictures::composedTile(RadarFrame frame, TileId tile, int side)
{
    std::vector<async::Task<std::optional<QByteArray>>> downloads;
    for (int i = 0; i < 4; ++i)
        downloads.push_back(
            m_source.tileData(frame, {tile.z + 1, 2 * tile.x + (i & 1), 2 * tile.y + (i >> 1)}));
    auto join = async::whenAll(std::move(downloads));
    const std::vector<std::optional<QByteArray>> parts = co_await join;

    std::array<std::optional<QByteArray>, 4> quadrants;
    for (size_t i = 0; i < quadrants.size(); ++i) {
        if (!parts[i])
            co_return std::nullopt;
        quadrants[i] = parts[i];
    }
    const auto empty = [](const auto& part) { return TileImages::isEmptyTile(*part); };
    if (std::all_of(quadrants.begin(), quadrants.end(), empty))
        co_return agencyTile(*quadrants[0]);
    auto work =
        async::runInPool([quadrants, side] { return TileImages::compose(quadrants, side); });
    std::optional<std::optional<TileImages::DisplayTile>> composed = co_await work;
    if (!composed)
        co_return std::nullopt;
    const bool hasEmptySource = std::any_of(quadrants.begin(), quadrants.end(), empty);
    keep({frame.id(), tile, side}, frame, *composed, hasEmptySource);
    co_return *composed;
}

// Zooms above the deepest served one: a square cut out of that ancestor, enlarged.
async::Task<std::optional<TileImages::DisplayTile>>
RadarTilePictures::croppedTile(RadarFrame frame, TileId tile, int side)
{
    const int k = tile.z - TileAddress::deepestZoom(frame.product);
    const int scale = 1 << k;
    const TileId source = tile.ancestor(k);
    const std::optional<QByteArray> ancestor = co_await m_source.tileData(frame, source);
    if (!ancestor)
        co_return std::nullopt;
    if (TileImages::isEmptyTile(*ancestor))
        co_return agencyTile(*ancestor);
    auto work = async::runInPool([bytes = *ancestor, scale, tile, side, ancestors = m_ancestors,
                                  key = FrameTileKey{frame.id(), source, 0}] {
        return TileImages::cropPicture(ancestors->decoded(key, bytes), bytes, scale, tile.x % scale,
                                       tile.y % scale, side);
    });
    std::optional<std::optional<TileImages::DisplayTile>> cropped = co_await work;
    if (!cropped)
        co_return std::nullopt;
    keep({frame.id(), tile, side}, frame, *cropped, false);
    co_return *cropped;
}
