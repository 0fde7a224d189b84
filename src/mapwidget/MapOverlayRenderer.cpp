#include "mapwidget/MapOverlayRenderer.h"

#include "mapwidget/MapOverlay.h"

#include <algorithm>
#include <cmath>

MapOverlayRenderer::MapOverlayRenderer(std::shared_ptr<MapOverlay> overlay)
    : m_overlay(std::move(overlay))
{}

MapOverlayRenderer::~MapOverlayRenderer() = default;

void MapOverlayRenderer::setAlpha(double alpha)
{
    if (!std::isfinite(alpha))
        return;
    m_alpha = std::clamp(alpha, 0.0, 1.0);
}

void MapOverlayRenderer::setNeedsDisplay()
{
    if (m_changeHandler)
        m_changeHandler();
}

std::shared_ptr<MapLayer> MapOverlayRenderer::makeLayer(const MapLayerContext&)
{
    return nullptr;
}

void MapOverlayRenderer::draw(QPainter&, const ShapeProjection&, qreal) const {}

void MapOverlayRenderer::setChangeHandler(std::function<void()> handler)
{
    m_changeHandler = std::move(handler);
}
