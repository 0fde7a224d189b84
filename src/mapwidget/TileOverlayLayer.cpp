#include "mapwidget/TileOverlayLayer.h"

#include "mapwidget/DecodedTileCache.h"
#include "mapwidget/GuiThreadRelay.h"
#include "mapwidget/TileCover.h"
#include "mapwidget/TileDecoder.h"
#include "mapwidget/TileDrawing.h"

#include <QPainter>
#include <QSet>
#include <QThreadPool>

#include <algorithm>
#include <cmath>

namespace {

// Pictures kept beyond the visible ones, for panning back and for stand-ins while the
// level changes.
constexpr qsizetype kRetainedTiles = 128;
// How far up a missing radar tile looks for a stand-in.
constexpr int kOverlayStandInLevels = 4;
// Decoded pictures kept for bytes that come again (an animation's loop): about a dozen
// frames of a full screen of rain.
constexpr qint64 kDecodedBytes = qint64(96) << 20;

bool isPrepared(const QImage& image)
{
    return image.format() == QImage::Format_ARGB32_Premultiplied ||
           image.format() == QImage::Format_RGB32;
}

} // namespace

TileOverlayLayer::TileOverlayLayer(std::shared_ptr<TileOverlay> overlay,
                                   std::shared_ptr<GuiThreadRelay> relay,
                                   std::function<void()> changed)
    : m_overlay(std::move(overlay))
    , m_relay(std::move(relay))
    , m_decoded(std::make_shared<DecodedTileCache>(kDecodedBytes))
    , m_changed(std::move(changed))
{}

int TileOverlayLayer::decodeReuses() const
{
    return m_decoded->hits();
}

int TileOverlayLayer::levelFor(const MapViewport& viewport) const
{
    const int minimum = m_overlay->minimumZ();
    const int maximum = std::max(minimum, m_overlay->maximumZ());
    // Bigger tiles cover more of the world per level.
    const int tileSize = std::max(1, m_overlay->tileSize());
    const double shift = std::log2(double(tileSize) / MapViewport::kTileSize);
    MapViewport shifted = viewport;
    shifted.setZoom(viewport.zoom() - shift);
    return TileCover::levelForPoints(shifted, minimum, maximum);
}

void TileOverlayLayer::setView(const MapViewport& viewport, bool)
{
    // The same view again (the appearance changed) wants the same tiles.
    if (viewport.isEmpty() || viewport == m_view)
        return;
    m_view = viewport;
    ++m_viewStamp;
    m_level = levelFor(viewport);
    m_contentScale = viewport.devicePixelRatio();
    const QList<TileId> visible = TileCover::covering(viewport.visibleMapRect(), m_level);
    const QSet<TileId> visibleSet(visible.cbegin(), visible.cend());

    for (auto it = m_tiles.begin(); it != m_tiles.end(); ++it) {
        if (visibleSet.contains(it.key()))
            continue;
        if (it->pendingRequest != 0) {
            it->pendingRequest = 0;
            ++m_counters.abandoned;
        }
        // Out of view, a failure is forgotten: coming back asks again.
        it->failedGeneration = -1;
    }
    m_visible = visible;
    for (const TileId& tile : visible)
        m_tiles[tile].lastWanted = m_viewStamp;
    requestMissing();
    prune();
}

void TileOverlayLayer::reload()
{
    ++m_generation;
    requestMissing();
}

void TileOverlayLayer::reload(const std::function<bool(const TileId&)>& showsNothing)
{
    const int previous = m_generation++;
    for (const TileId& tile : std::as_const(m_visible)) {
        const auto it = m_tiles.find(tile);
        if (it != m_tiles.end() && it->hasPicture && it->transparent &&
            it->pictureGeneration == previous && it->pendingRequest == 0 && showsNothing(tile))
            it->pictureGeneration = m_generation;
    }
    requestMissing();
}

void TileOverlayLayer::requestMissing()
{
    for (const TileId& tile : std::as_const(m_visible)) {
        Tile& entry = m_tiles[tile];
        if (entry.failedGeneration == m_generation)
            continue;
        if (entry.hasPicture && entry.pictureGeneration == m_generation)
            continue;
        if (entry.pendingRequest != 0) {
            if (entry.pendingGeneration == m_generation)
                continue;
            ++m_counters.abandoned; // superseded by the new generation
        }
        request(tile, entry);
    }
}

void TileOverlayLayer::request(const TileId& tile, Tile& entry)
{
    const quint64 id = m_nextRequest++;
    entry.pendingRequest = id;
    entry.pendingGeneration = m_generation;
    ++m_counters.requests;
    std::weak_ptr<TileOverlayLayer> weak = weak_from_this();
    std::shared_ptr<GuiThreadRelay> relay = m_relay;
    const TilePath path{tile, m_contentScale};
    m_overlay->loadTile(path, [weak, relay, decoded = m_decoded, tile, id](TileResult result) {
        const auto post = [weak, relay, tile, id](TileResult::Error error, QImage image,
                                                  bool transparent) {
            relay->post([weak, tile, id, error, image = std::move(image), transparent] {
                if (auto self = weak.lock())
                    self->deliver(tile, id, error, image, transparent);
            });
        };
        if (!result.ok()) {
            post(result.error, {}, false);
            return;
        }
        // A tile known to show nothing is not worth decoding.
        const bool transparent = result.transparent;
        if (transparent || (result.image.isNull() && result.encoded.isEmpty())) {
            post(TileResult::Error::None, {}, true);
            return;
        }
        if (!result.image.isNull() && isPrepared(result.image)) {
            post(TileResult::Error::None, std::move(result.image), transparent);
            return;
        }
        if (result.image.isNull()) {
            if (auto known = decoded->find(result.encoded)) {
                post(TileResult::Error::None, std::move(*known), transparent);
                return;
            }
        }
        // Decoding or converting takes milliseconds: never on the thread that paints.
        QThreadPool::globalInstance()->start([post, decoded, transparent,
                                              image = std::move(result.image),
                                              bytes = std::move(result.encoded)]() mutable {
            QImage prepared = image.isNull() ? TileDecoder::decode(bytes)
                                             : TileDecoder::prepared(std::move(image));
            if (!bytes.isEmpty())
                decoded->insert(bytes, prepared);
            const auto error =
                prepared.isNull() ? TileResult::Error::NotFound : TileResult::Error::None;
            post(error, std::move(prepared), transparent);
        });
    });
}

void TileOverlayLayer::deliver(const TileId& tile, quint64 requestId, TileResult::Error error,
                               QImage image, bool transparent)
{
    const auto it = m_tiles.find(tile);
    if (it == m_tiles.end() || it->pendingRequest != requestId) {
        ++m_counters.dropped;
        return;
    }
    it->pendingRequest = 0;
    if (error == TileResult::Error::Cancelled)
        return; // the overlay gave up on it; a later view change asks again
    if (error != TileResult::Error::None) {
        // The old picture, if any, stays: stale is better than a hole.
        ++m_counters.failed;
        it->failedGeneration = it->pendingGeneration;
        return;
    }
    ++m_counters.delivered;
    it->image = std::move(image);
    it->transparent = transparent || it->image.isNull();
    it->hasPicture = true;
    it->pictureGeneration = it->pendingGeneration;
    if (m_changed)
        m_changed();
}

void TileOverlayLayer::prune()
{
    if (m_tiles.size() <= m_visible.size() + kRetainedTiles)
        return;
    QList<std::pair<quint64, TileId>> candidates;
    for (auto it = m_tiles.cbegin(); it != m_tiles.cend(); ++it) {
        if (it->lastWanted != m_viewStamp)
            candidates.append({it->lastWanted, it.key()});
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    qsizetype excess = m_tiles.size() - m_visible.size() - kRetainedTiles;
    for (const auto& [stamp, tile] : std::as_const(candidates)) {
        if (excess-- <= 0)
            break;
        m_tiles.remove(tile);
    }
}

int TileOverlayLayer::pendingCount() const
{
    int count = 0;
    for (const TileId& tile : m_visible) {
        const auto it = m_tiles.constFind(tile);
        if (it != m_tiles.constEnd() && it->pendingRequest != 0)
            ++count;
    }
    return count;
}

bool TileOverlayLayer::isComplete() const
{
    for (const TileId& tile : m_visible) {
        const auto it = m_tiles.constFind(tile);
        if (it == m_tiles.constEnd())
            return false;
        const bool current = it->hasPicture && it->pictureGeneration == m_generation;
        if (!current && it->failedGeneration != m_generation)
            return false;
    }
    return true;
}

bool TileOverlayLayer::hasImage(const TileId& tile) const
{
    const auto it = m_tiles.constFind(tile);
    return it != m_tiles.constEnd() && it->hasPicture;
}

void TileOverlayLayer::paint(QPainter& painter, const MapViewport& viewport, bool moving)
{
    const bool smooth = !moving;
    for (const TileId& tile : m_visible) {
        const auto it = m_tiles.constFind(tile);
        if (it != m_tiles.constEnd() && it->hasPicture) {
            if (!it->transparent)
                TileDrawing::drawTilePart(painter, viewport, tile, it->image, tile, smooth);
            continue;
        }
        paintFromOtherLevels(painter, viewport, tile, smooth);
    }
}

bool TileOverlayLayer::paintFromOtherLevels(QPainter& painter, const MapViewport& viewport,
                                            const TileId& tile, bool smooth) const
{
    for (int up = 1; up <= kOverlayStandInLevels && tile.z - up >= 0; ++up) {
        const TileId source = tile.ancestor(up);
        const auto it = m_tiles.constFind(source);
        if (it != m_tiles.constEnd() && it->hasPicture) {
            if (!it->transparent)
                TileDrawing::drawTilePart(painter, viewport, tile, it->image, source, smooth);
            return true;
        }
    }
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        const TileId child{tile.z + 1, tile.x * 2 + (i & 1), tile.y * 2 + (i >> 1)};
        const auto it = m_tiles.constFind(child);
        if (it != m_tiles.constEnd() && it->hasPicture) {
            if (!it->transparent)
                TileDrawing::drawTilePart(painter, viewport, child, it->image, child, smooth);
            any = true;
        }
    }
    return any;
}
