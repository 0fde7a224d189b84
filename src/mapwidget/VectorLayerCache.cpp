#include "mapwidget/VectorLayerCache.h"

#include "mapwidget/MapOverlayRenderer.h"
#include "mapwidget/ShapeOverlay.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Room around the view drawn into the picture, as a share of the view's larger side.
constexpr double kMarginShare = 0.25;
// Lines reach past their points by half their width; the clip leaves room for that.
constexpr double kClipPaddingPixels = 24;
// The grid in which empty parts of the picture are skipped when it is drawn.
constexpr int kBlock = 64;

} // namespace

VectorLayerCache::VectorLayerCache(std::function<void()> rendered)
    : m_rendered(std::move(rendered))
{}

void VectorLayerCache::setRenderers(QList<std::shared_ptr<MapOverlayRenderer>> renderers)
{
    m_renderers = std::move(renderers);
    m_valid = false;
}

bool VectorLayerCache::contains(const MapOverlayRenderer* renderer) const
{
    return std::any_of(m_renderers.cbegin(), m_renderers.cend(),
                       [renderer](const auto& r) { return r.get() == renderer; });
}

VectorLayerCache::Reuse VectorLayerCache::reuseFor(const MapViewport& viewport, bool moving) const
{
    if (!m_valid || m_image.isNull())
        return Reuse::None;
    const double k = viewport.deviceScale();
    const QRect view(viewport.deviceOrigin(), viewport.deviceSize());
    if (k == m_scale)
        return QRect(m_origin, m_image.size()).contains(view) ? Reuse::Exact : Reuse::None;
    if (!moving)
        return Reuse::None;
    const double ratio = k / m_scale;
    if (ratio < 0.5 || ratio > 2.0)
        return Reuse::None;
    // The old picture, scaled, must still cover the view.
    const QRectF covered(m_origin.x() * ratio, m_origin.y() * ratio, m_image.width() * ratio,
                         m_image.height() * ratio);
    return covered.contains(QRectF(view)) ? Reuse::Scaled : Reuse::None;
}

void VectorLayerCache::paint(QPainter& painter, const MapViewport& viewport, bool moving)
{
    if (m_renderers.isEmpty() || viewport.isEmpty())
        return;
    const QPoint origin = viewport.deviceOrigin();
    switch (reuseFor(viewport, moving)) {
    case Reuse::None:
        render(viewport);
        [[fallthrough]];
    case Reuse::Exact: {
        // Only the parts with something drawn: most of a line layer is empty, and blending
        // empty pixels costs as much as blending lines.
        const QRect view(origin - m_origin, viewport.deviceSize());
        for (const QRect& block : std::as_const(m_blocks)) {
            const QRect part = block.intersected(view);
            if (!part.isEmpty())
                painter.drawImage(part.topLeft() + m_origin - origin, m_image, part);
        }
        break;
    }
    case Reuse::Scaled: {
        const double ratio = viewport.deviceScale() / m_scale;
        const QRectF target(m_origin.x() * ratio - origin.x(), m_origin.y() * ratio - origin.y(),
                            m_image.width() * ratio, m_image.height() * ratio);
        painter.drawImage(target, m_image);
        break;
    }
    }
}

void VectorLayerCache::render(const MapViewport& viewport)
{
    const QSize view = viewport.deviceSize();
    const int margin = int(std::ceil(std::max(view.width(), view.height()) * kMarginShare));
    const QSize size(view.width() + 2 * margin, view.height() + 2 * margin);
    if (m_image.size() != size)
        m_image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    m_image.fill(Qt::transparent);
    m_scale = viewport.deviceScale();
    m_origin = viewport.deviceOrigin() - QPoint(margin, margin);

    ShapeProjection projection;
    projection.scale = m_scale;
    projection.origin = m_origin;
    const double padding = kClipPaddingPixels * viewport.devicePixelRatio();
    projection.clip = {(m_origin.x() - padding) / m_scale, (m_origin.y() - padding) / m_scale,
                       (size.width() + 2 * padding) / m_scale,
                       (size.height() + 2 * padding) / m_scale};
    projection.tolerance = 0.5;

    QPainter painter(&m_image);
    for (const auto& renderer : std::as_const(m_renderers))
        renderer->draw(painter, projection, viewport.devicePixelRatio());
    painter.end();
    findBlocks();
    m_valid = true;
    if (m_rendered)
        m_rendered();
}

void VectorLayerCache::findBlocks()
{
    m_blocks.clear();
    const int width = m_image.width();
    const int height = m_image.height();
    for (int top = 0; top < height; top += kBlock) {
        const int rows = std::min(kBlock, height - top);
        int runStart = -1;
        for (int left = 0; left < width; left += kBlock) {
            const int columns = std::min(kBlock, width - left);
            bool used = false;
            for (int y = top; y < top + rows && !used; ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(m_image.constScanLine(y));
                used = std::any_of(line + left, line + left + columns,
                                   [](QRgb pixel) { return pixel != 0; });
            }
            // Neighbouring used blocks in a row make one rectangle: fewer, larger blits.
            if (used && runStart < 0)
                runStart = left;
            if (!used && runStart >= 0) {
                m_blocks.append(QRect(runStart, top, left - runStart, rows));
                runStart = -1;
            }
        }
        // A run that reaches the right edge (the picture is rarely a whole number of blocks
        // wide) ends with the row.
        if (runStart >= 0)
            m_blocks.append(QRect(runStart, top, width - runStart, rows));
    }
}
