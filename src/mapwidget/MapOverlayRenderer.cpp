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
    notify(Change::Display);
}

void MapOverlayRenderer::setChangeHandler(std::function<void(Change)> handler)
{
    m_changeHandler = std::move(handler);
}

void MapOverlayRenderer::notify(Change change)
{
    if (m_changeHandler)
        m_changeHandler(change);
}
