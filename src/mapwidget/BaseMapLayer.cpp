#include "mapwidget/BaseMapLayer.h"

#include "mapwidget/TileCover.h"
#include "mapwidget/TileDrawing.h"

#include <QPainter>

namespace {

// How far up the pyramid a missing tile looks for a stand-in: 6 levels is a 64× blow-up,
// blurry but better than nothing.
constexpr int kBaseStandInLevels = 6;

} // namespace

BaseMapLayer::BaseMapLayer(BaseMapOptions options, qint64 memoryBudget, QObject* parent)
    : QObject(parent)
    , m_cache(memoryBudget)
    , m_loader(new BaseMapLoader(std::move(options), &m_cache, this))
{
    connect(m_loader, &BaseMapLoader::tileReady, this, [this](const TileImageCache::Key& key) {
        if (key.variant == (m_dark ? BaseMapLoader::Dark : BaseMapLoader::Light)) {
            m_composedValid = false;
            Q_EMIT changed();
        }
    });
}

void BaseMapLayer::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (!enabled) {
        m_loader->setWanted({});
        m_visible.clear();
    }
    Q_EMIT changed();
}

void BaseMapLayer::setView(const MapViewport& viewport, bool dark)
{
    m_dark = dark;
    m_composedValid = false;
    if (!m_enabled || viewport.isEmpty())
        return;
    m_level =
        TileCover::levelForDevice(viewport, BaseMapLoader::kMinimumZ, BaseMapLoader::kMaximumZ);
    const MapRect visible = viewport.visibleMapRect();
    m_visible = TileCover::covering(visible, m_level);

    const int variant = dark ? BaseMapLoader::Dark : BaseMapLoader::Light;
    QList<TileImageCache::Key> wanted;
    QSet<TileImageCache::Key> pinned;
    wanted.reserve(m_visible.size() * 2);
    for (const TileId& tile : std::as_const(m_visible)) {
        wanted.append({tile, variant});
        pinned.insert({tile, variant});
        for (int up = 1; up <= 3 && tile.z - up >= BaseMapLoader::kMinimumZ; ++up)
            pinned.insert({tile.ancestor(up), variant});
    }
    // Then a ring of one tile around the view, so a short pan finds its tiles ready.
    const double margin = kMapWorldWidth / double(1 << m_level);
    const QList<TileId> ring =
        TileCover::covering({visible.x - margin, visible.y - margin, visible.width + 2 * margin,
                             visible.height + 2 * margin},
                            m_level);
    const QSet<TileId> visibleSet(m_visible.cbegin(), m_visible.cend());
    for (const TileId& tile : ring) {
        if (!visibleSet.contains(tile))
            wanted.append({tile, variant});
    }
    m_cache.setPinned(std::move(pinned));
    m_loader->setWanted(wanted);
}

bool BaseMapLayer::isComplete() const
{
    if (!m_enabled)
        return true;
    const int variant = m_dark ? BaseMapLoader::Dark : BaseMapLoader::Light;
    for (const TileId& tile : m_visible) {
        if (!m_cache.contains({tile, variant}) && !m_loader->isIdle())
            return false;
    }
    return true;
}

QColor BaseMapLayer::backgroundColor(bool dark)
{
    return dark ? QColor(28, 31, 35) : QColor(232, 236, 238);
}

void BaseMapLayer::paint(QPainter& painter, const MapViewport& viewport, bool moving)
{
    const bool dark = m_dark;
    if (m_hidden) {
        painter.fillRect(QRect(QPoint(0, 0), viewport.deviceSize()), backgroundColor(dark));
        return;
    }
    const bool smooth = !moving;
    const bool scaled =
        !m_visible.isEmpty() &&
        viewport.deviceRect(m_visible.first().mapRect()).width() != int(MapViewport::kTileSize);
    if (!m_enabled || !smooth || !scaled) {
        m_composedValid = false;
        paintTiles(painter, viewport, dark, smooth);
        return;
    }
    const bool reusable = m_composedValid && m_composedOrigin == viewport.deviceOrigin() &&
                          m_composedScale == viewport.deviceScale() && m_composedDark == dark &&
                          m_composed.size() == viewport.deviceSize();
    if (!reusable) {
        if (m_composed.size() != viewport.deviceSize())
            m_composed = QImage(viewport.deviceSize(), QImage::Format_RGB32);
        QPainter composer(&m_composed);
        paintTiles(composer, viewport, dark, smooth);
        composer.end();
        m_composedOrigin = viewport.deviceOrigin();
        m_composedScale = viewport.deviceScale();
        m_composedDark = dark;
        m_composedValid = true;
    }
    painter.drawImage(QPoint(0, 0), m_composed);
}

void BaseMapLayer::paintTiles(QPainter& painter, const MapViewport& viewport, bool dark,
                              bool smooth) const
{
    const QRect view(QPoint(0, 0), viewport.deviceSize());
    const QColor background = backgroundColor(dark);
    // Filling the whole view first would cost as much as the tiles; only what no picture
    // covers gets the background: past the world's edges, and missing tiles.
    if (!m_enabled || !viewport.deviceRect({0, 0, kMapWorldWidth, kMapWorldWidth}).contains(view))
        painter.fillRect(view, background);
    if (!m_enabled)
        return;
    const int variant = dark ? BaseMapLoader::Dark : BaseMapLoader::Light;
    const int other = dark ? BaseMapLoader::Light : BaseMapLoader::Dark;
    for (const TileId& tile : m_visible) {
        if (paintFromAncestors(painter, viewport, tile, variant, smooth) ||
            paintFromAncestors(painter, viewport, tile, other, smooth))
            continue;
        painter.fillRect(viewport.deviceRect(tile.mapRect()), background);
        paintFromChildren(painter, viewport, tile, variant, smooth);
    }
}

bool BaseMapLayer::paintFromAncestors(QPainter& painter, const MapViewport& viewport,
                                      const TileId& tile, int variant, bool smooth) const
{
    for (int up = 0; up <= kBaseStandInLevels && tile.z - up >= BaseMapLoader::kMinimumZ; ++up) {
        const TileId source = tile.ancestor(up);
        if (const QImage* image = m_cache.peek({source, variant})) {
            TileDrawing::drawTilePart(painter, viewport, tile, *image, source, smooth);
            return true;
        }
    }
    return false;
}

void BaseMapLayer::paintFromChildren(QPainter& painter, const MapViewport& viewport,
                                     const TileId& tile, int variant, bool smooth) const
{
    // Zooming out: the four children may be there from before.
    if (tile.z >= BaseMapLoader::kMaximumZ)
        return;
    for (int i = 0; i < 4; ++i) {
        const TileId child{tile.z + 1, tile.x * 2 + (i & 1), tile.y * 2 + (i >> 1)};
        if (const QImage* image = m_cache.peek({child, variant}))
            TileDrawing::drawTilePart(painter, viewport, child, *image, child, smooth);
    }
}
