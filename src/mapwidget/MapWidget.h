#pragma once

#include "geo/GeoTypes.h"
#include "mapwidget/MapControls.h"
#include "mapwidget/MapLayer.h"
#include "mapwidget/MapScene.h"
#include "platform/Clock.h"

#include <QPointF>
#include <QPointer>
#include <QWidget>

#include <memory>

class MapAnnotation;
class MapDelegate;
class MapOverlay;
class QWindow;

// The map on screen: a thin widget over a MapScene. It turns the pointer into gestures
// (drag to pan, wheel or pinch to zoom about the pointer, double-click to zoom in, the
// + and − buttons), reports every click (tapped, without looking at what lies under it)
// and annotation selections, and tells whether its window can be seen. It takes no keys,
// so the arrow keys reach the application.
//
// On a click on an annotation, tapped() comes before annotationSelected(), so a listener
// that clears its selection on every tap still ends up with the new selection; a click on
// the annotation already selected reports it again for the same reason.
class MapWidget : public QWidget {
    Q_OBJECT

public:
    explicit MapWidget(QWidget* parent = nullptr, MapSceneOptions options = {});
    ~MapWidget() override;

    MapScene& scene() { return *m_scene; }
    const MapScene& scene() const { return *m_scene; }

    MapRegion region() const { return m_scene->region(); }
    void setRegion(const MapRegion& region, bool animated = false);
    GeoCoordinate centerCoordinate() const { return m_scene->centerCoordinate(); }
    void setCenterCoordinate(const GeoCoordinate& center, bool animated = false);
    QRect bounds() const { return rect(); }
    MapRect visibleMapRect() const { return m_scene->visibleMapRect(); }

    void setDelegate(MapDelegate* delegate) { m_scene->setDelegate(delegate); }
    void addOverlay(std::shared_ptr<MapOverlay> overlay, int z = MapZ::AboveLabels);
    void removeOverlay(const std::shared_ptr<MapOverlay>& overlay);
    void removeOverlays(const QList<std::shared_ptr<MapOverlay>>& overlays);
    void addAnnotation(std::shared_ptr<MapAnnotation> annotation);
    void addAnnotations(const QList<std::shared_ptr<MapAnnotation>>& annotations);
    void removeAnnotation(const std::shared_ptr<MapAnnotation>& annotation);
    void removeAnnotations(const QList<std::shared_ptr<MapAnnotation>>& annotations);

    // Shown, its window not minimised and exposed (the window's "occlusion state").
    bool isMapVisible() const { return m_mapVisible; }

    // Metres between two coordinates on the WGS 84 ellipsoid.
    static double distance(const GeoCoordinate& a, const GeoCoordinate& b);

Q_SIGNALS:
    void regionChanged(bool animated);
    void annotationSelected(const std::shared_ptr<MapAnnotation>& annotation);
    void tapped(const GeoCoordinate& coordinate);
    void visibilityChanged(bool visible);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void click(const QPointF& position);
    void zoomWithButton(MapControls::Button button);
    void watchWindow();
    void scheduleVisibilityCheck();
    void checkVisibility();
    bool computeVisible() const;

    void settleWheelLater();
    void cancelWheelSettle();

    MapScene* m_scene;
    Clock::TimerId m_wheelSettle = 0;
    bool m_pressed = false;
    bool m_dragging = false;
    QPointF m_pressPosition;
    QPointF m_lastPosition;
    MapControls::Button m_pressedButton = MapControls::Button::None;
    bool m_mapVisible = false;
    bool m_visibilityCheckPending = false;
    QPointer<QWidget> m_watchedWindow;
    QPointer<QWindow> m_watchedHandle;
};
