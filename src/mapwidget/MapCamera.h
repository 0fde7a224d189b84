#pragma once

#include "geo/GeoTypes.h"
#include "mapwidget/MapViewport.h"

#include <QObject>

#include <optional>

class QVariantAnimation;

// Where the map looks and how it gets there: the viewport, a region waiting for the view's
// first size, animated moves and the gestures of the hand. It draws nothing; the scene
// follows viewportChanged and hands the new view to its layers.
//
// regionChanged(animated) follows every change of the region: at once for programmatic
// changes without animation, at the end of an animation, and at the end of a gesture.
// Lives on the GUI thread; nothing here runs a timer while the map stands still.
class MapCamera : public QObject {
    Q_OBJECT

public:
    explicit MapCamera(QObject* parent = nullptr);

    const MapViewport& viewport() const { return m_viewport; }
    void setViewportSize(const QSizeF& size);
    // False when the ratio was already this one.
    bool setDevicePixelRatio(qreal ratio);

    // Fits the whole region into the view, centred on its centre. Before the view has a
    // size the region waits and is applied when the size comes.
    void setRegion(const MapRegion& region, bool animated = false);
    // A region set while the view had no size waits for one; until then region() is not it.
    bool hasPendingRegion() const { return m_pendingRegion.has_value(); }
    void setCenterCoordinate(const GeoCoordinate& center, bool animated = false);
    void setCamera(const MapPoint& center, double zoom, bool animated = false);

    bool isAnimating() const;
    // Jumps to the end of a running animation (as if it had run out).
    void finishAnimation();

    // Gestures: between begin and end the view follows the hand and regionChanged waits
    // for the end. Outside a gesture each call is a change of its own.
    void beginGesture();
    void panBy(const QPointF& delta);
    void zoomAround(double zoom, const QPointF& anchor);
    void endGesture();
    bool isInGesture() const { return m_gestureActive; }
    void zoomBy(double levels, const QPointF& anchor, bool animated);
    // Moving maps draw faster and rougher (no smooth scaling, scaled vector pictures).
    bool isMoving() const { return m_gestureActive || isAnimating(); }

Q_SIGNALS:
    void viewportChanged(double oldScale);
    void regionChanged(bool animated);
    // The picture must be drawn again although the view stayed (a move came to rest).
    void needsRepaint();

private:
    bool applyViewport(const MapViewport& viewport);
    void animateTo(const MapViewport& target);
    void interruptAnimation();
    void onAnimationStep(double progress);
    void onAnimationFinished();

    MapViewport m_viewport;
    std::optional<MapRegion> m_pendingRegion;
    QVariantAnimation* m_animation;
    MapViewport m_animationFrom;
    MapViewport m_animationTo;
    bool m_gestureActive = false;
    MapViewport m_gestureStart;
};
