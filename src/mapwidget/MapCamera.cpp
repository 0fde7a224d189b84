#include "mapwidget/MapCamera.h"

#include <QEasingCurve>
#include <QVariantAnimation>

namespace {

constexpr int kAnimationMs = 300;

} // namespace

MapCamera::MapCamera(QObject* parent)
    : QObject(parent)
    , m_animation(new QVariantAnimation(this))
{
    m_animation->setDuration(kAnimationMs);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { onAnimationStep(value.toDouble()); });
    connect(m_animation, &QVariantAnimation::finished, this, &MapCamera::onAnimationFinished);
}

bool MapCamera::applyViewport(const MapViewport& viewport)
{
    if (viewport == m_viewport)
        return false;
    const double oldScale = m_viewport.scale();
    m_viewport = viewport;
    Q_EMIT viewportChanged(oldScale);
    return true;
}

void MapCamera::setViewportSize(const QSizeF& size)
{
    const bool wasEmpty = m_viewport.isEmpty();
    MapViewport next = m_viewport;
    next.setSize(size);
    bool pendingApplied = false;
    if (m_pendingRegion && !next.isEmpty()) {
        next = next.fitted(*m_pendingRegion);
        m_pendingRegion.reset();
        pendingApplied = true;
    }
    if (applyViewport(next) && (!wasEmpty || pendingApplied))
        Q_EMIT regionChanged(false);
}

bool MapCamera::setDevicePixelRatio(qreal ratio)
{
    MapViewport next = m_viewport;
    next.setDevicePixelRatio(ratio);
    return applyViewport(next);
}

void MapCamera::setRegion(const MapRegion& region, bool animated)
{
    if (m_viewport.isEmpty()) {
        interruptAnimation();
        m_pendingRegion = region;
        MapViewport next = m_viewport;
        next.setCenter(MapProjection::toMapPoint(region.center));
        if (applyViewport(next))
            Q_EMIT regionChanged(false);
        return;
    }
    const MapViewport target = m_viewport.fitted(region);
    if (animated) {
        animateTo(target);
        return;
    }
    interruptAnimation();
    if (applyViewport(target))
        Q_EMIT regionChanged(false);
}

void MapCamera::setCenterCoordinate(const GeoCoordinate& center, bool animated)
{
    setCamera(MapProjection::toMapPoint(center), m_viewport.zoom(), animated);
}

void MapCamera::setCamera(const MapPoint& center, double zoom, bool animated)
{
    MapViewport target = m_viewport;
    target.setZoom(zoom);
    target.setCenter(center);
    if (animated && !m_viewport.isEmpty()) {
        animateTo(target);
        return;
    }
    interruptAnimation();
    if (applyViewport(target))
        Q_EMIT regionChanged(false);
}

bool MapCamera::isAnimating() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

void MapCamera::animateTo(const MapViewport& target)
{
    interruptAnimation();
    if (target == m_viewport)
        return;
    m_animationFrom = m_viewport;
    m_animationTo = target;
    m_animation->start();
}

void MapCamera::interruptAnimation()
{
    if (!isAnimating())
        return;
    m_animation->stop();
    // The region did change on the way; whoever listens hears of it.
    Q_EMIT regionChanged(true);
    Q_EMIT needsRepaint();
}

void MapCamera::finishAnimation()
{
    if (!isAnimating())
        return;
    m_animation->stop();
    onAnimationFinished();
}

void MapCamera::onAnimationStep(double progress)
{
    if (!isAnimating())
        return;
    const MapPoint a = m_animationFrom.center();
    const MapPoint b = m_animationTo.center();
    MapViewport next = m_viewport;
    next.setZoom(m_animationFrom.zoom() +
                 (m_animationTo.zoom() - m_animationFrom.zoom()) * progress);
    next.setCenter({a.x + (b.x - a.x) * progress, a.y + (b.y - a.y) * progress});
    applyViewport(next);
}

void MapCamera::onAnimationFinished()
{
    MapViewport next = m_viewport;
    next.setZoom(m_animationTo.zoom());
    next.setCenter(m_animationTo.center());
    applyViewport(next);
    Q_EMIT regionChanged(true);
    // Drawn once more at full quality now that nothing moves.
    Q_EMIT needsRepaint();
}

void MapCamera::beginGesture()
{
    interruptAnimation();
    if (m_gestureActive)
        return;
    m_gestureActive = true;
    m_gestureStart = m_viewport;
}

void MapCamera::panBy(const QPointF& delta)
{
    if (!m_gestureActive)
        interruptAnimation();
    if (applyViewport(m_viewport.pannedBy(delta)) && !m_gestureActive)
        Q_EMIT regionChanged(false);
}

void MapCamera::zoomAround(double zoom, const QPointF& anchor)
{
    if (!m_gestureActive)
        interruptAnimation();
    if (applyViewport(m_viewport.zoomedTo(zoom, anchor)) && !m_gestureActive)
        Q_EMIT regionChanged(false);
}

void MapCamera::endGesture()
{
    if (!m_gestureActive)
        return;
    m_gestureActive = false;
    const bool changed = m_viewport.center() != m_gestureStart.center() ||
                         m_viewport.zoom() != m_gestureStart.zoom();
    if (changed)
        Q_EMIT regionChanged(false);
    Q_EMIT needsRepaint();
}

void MapCamera::zoomBy(double levels, const QPointF& anchor, bool animated)
{
    // Successive clicks during an animation add up from where the last one was heading.
    const MapViewport from = isAnimating() ? m_animationTo : m_viewport;
    const double target = from.zoom() + levels;
    if (!animated) {
        zoomAround(target, anchor);
        return;
    }
    animateTo(from.zoomedTo(target, anchor));
}
