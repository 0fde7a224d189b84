#pragma once

#include "geo/GeoTypes.h"
#include "mapwidget/BaseMapLoader.h"
#include "mapwidget/MapCamera.h"
#include "mapwidget/MapLayer.h"
#include "mapwidget/MapViewport.h"

#include <QImage>
#include <QList>
#include <QObject>

#include <memory>
#include <optional>

class BaseMapLayer;
class GuiThreadRelay;
class MapAnnotation;
class MapAnnotationLayer;
class MapAnnotationView;
class MapCreditLayer;
class MapDelegate;
class MapOverlay;
class MapOverlayRenderer;
class QPainter;
class TileOverlayLayer;
class VectorLayerCache;

struct MapSceneOptions {
    BaseMapOptions baseMap;
    bool showBaseMap = true;
    qint64 tileMemoryBytes = qint64(96) << 20;
};

// The map without a window: the camera, the layers and the drawing of all of them into any
// QPainter, so the map is rendered and tested offscreen. MapWidget puts it on screen and
// turns input into the gesture calls below.
//
// Every layer has a z value (MapZ): the base map, the overlays at the value they were
// added with, the annotations, the credit; equal values draw in the order of addition.
// Each overlay is drawn by its renderer's own layer (tiles, at the renderer's alpha) or,
// where the renderer has none, through one cached picture shared with the vector overlays
// next to it (VectorLayerCache), so tile pictures can change without redrawing lines.
//
// regionChanged(animated) follows every change of the region (see MapCamera). Lives on
// the GUI thread; nothing here runs a timer while the map stands still.
class MapScene : public QObject {
    Q_OBJECT

public:
    explicit MapScene(MapSceneOptions options = {}, QObject* parent = nullptr);
    ~MapScene() override;

    // View.
    MapCamera& camera() { return *m_camera; }
    const MapViewport& viewport() const { return m_camera->viewport(); }
    void setViewportSize(const QSizeF& size) { m_camera->setViewportSize(size); }
    void setDevicePixelRatio(qreal ratio) { m_camera->setDevicePixelRatio(ratio); }
    MapRegion region() const { return viewport().region(); }
    void setRegion(const MapRegion& region, bool animated = false)
    {
        m_camera->setRegion(region, animated);
    }
    bool hasPendingRegion() const { return m_camera->hasPendingRegion(); }
    GeoCoordinate centerCoordinate() const { return viewport().centerCoordinate(); }
    void setCenterCoordinate(const GeoCoordinate& center, bool animated = false)
    {
        m_camera->setCenterCoordinate(center, animated);
    }
    MapRect visibleMapRect() const { return viewport().visibleMapRect(); }
    double zoom() const { return viewport().zoom(); }
    void setCamera(const MapPoint& center, double zoom, bool animated = false)
    {
        m_camera->setCamera(center, zoom, animated);
    }
    QPointF pointForCoordinate(const GeoCoordinate& coordinate) const
    {
        return viewport().pointForCoordinate(coordinate);
    }
    GeoCoordinate coordinateForPoint(const QPointF& point) const
    {
        return viewport().coordinateForPoint(point);
    }
    bool isAnimating() const { return m_camera->isAnimating(); }
    void finishAnimation() { m_camera->finishAnimation(); }
    void beginGesture() { m_camera->beginGesture(); }
    void panBy(const QPointF& delta) { m_camera->panBy(delta); }
    void zoomAround(double zoom, const QPointF& anchor) { m_camera->zoomAround(zoom, anchor); }
    void endGesture() { m_camera->endGesture(); }
    bool isInGesture() const { return m_camera->isInGesture(); }
    void zoomBy(double levels, const QPointF& anchor, bool animated)
    {
        m_camera->zoomBy(levels, anchor, animated);
    }
    bool isMoving() const { return m_camera->isMoving(); }

    // Overlays.
    void setDelegate(MapDelegate* delegate); // not owned; nullptr: defaults
    void addOverlay(std::shared_ptr<MapOverlay> overlay, int z = MapZ::AboveLabels);
    void addOverlays(const QList<std::shared_ptr<MapOverlay>>& overlays, int z = MapZ::AboveLabels);
    void removeOverlay(const std::shared_ptr<MapOverlay>& overlay);
    void removeOverlays(const QList<std::shared_ptr<MapOverlay>>& overlays);
    // In drawing order.
    QList<std::shared_ptr<MapOverlay>> overlays() const;
    QList<std::shared_ptr<MapOverlay>> overlays(int z) const;
    std::shared_ptr<MapOverlayRenderer> renderer(const MapOverlay* overlay) const;

    // Annotations.
    void addAnnotation(std::shared_ptr<MapAnnotation> annotation);
    void addAnnotations(const QList<std::shared_ptr<MapAnnotation>>& annotations);
    void removeAnnotation(const std::shared_ptr<MapAnnotation>& annotation);
    void removeAnnotations(const QList<std::shared_ptr<MapAnnotation>>& annotations);
    QList<std::shared_ptr<MapAnnotation>> annotations() const;
    std::shared_ptr<MapAnnotationView> view(const MapAnnotation* annotation) const;
    std::shared_ptr<MapAnnotationView> dequeueReusableView(const QString& identifier);
    // Whether the view is drawn (not hidden by a collision).
    bool isShown(const MapAnnotation* annotation);
    // The topmost shown view under `point`.
    std::shared_ptr<MapAnnotation> annotationAt(const QPointF& point);
    std::shared_ptr<MapAnnotation> selectedAnnotation() const;
    void selectAnnotation(const std::shared_ptr<MapAnnotation>& annotation);
    void deselectAnnotation();

    // Appearance: follows Appearance unless overridden.
    bool isDark() const { return m_dark; }
    void setDarkOverride(std::optional<bool> dark);

    // Drawing. The painter's device shows the whole view at the view's device-pixel ratio.
    void paint(QPainter& painter);
    QImage render();
    // Every layer is complete: every visible tile of the base map and of each tile overlay
    // is there (or failed).
    bool isLoaded() const;

    BaseMapLayer& baseMap() { return *m_baseMap; }
    std::shared_ptr<const TileOverlayLayer> tileLayer(const MapOverlay* overlay) const;
    int vectorRenderCount() const { return m_vectorRenders; }

    static QString creditText();

Q_SIGNALS:
    void needsRepaint();
    void regionChanged(bool animated);
    void annotationSelected(const std::shared_ptr<MapAnnotation>& annotation);
    void annotationDeselected(const std::shared_ptr<MapAnnotation>& annotation);

private:
    struct OverlayEntry {
        std::shared_ptr<MapOverlay> overlay;
        int z = MapZ::AboveLabels;
        std::shared_ptr<MapOverlayRenderer> renderer;
        std::shared_ptr<MapLayer> layer; // nullptr: drawn in a vector run
    };
    struct DrawStep {
        MapLayer* layer = nullptr;
        const MapOverlayRenderer* alphaOf = nullptr; // drawn at this renderer's alpha
    };

    void setLayersView();
    void viewChanged();
    void updateDark();
    MapDelegate& delegate() const;

    const OverlayEntry* findOverlay(const MapOverlay* overlay) const;
    void onRendererChange(const MapOverlay* overlay);
    void ensurePlan();
    static void detachRenderer(const OverlayEntry& entry);

    MapSceneOptions m_options;
    MapCamera* m_camera;
    BaseMapLayer* m_baseMap;
    std::unique_ptr<MapAnnotationLayer> m_annotations;
    std::unique_ptr<MapCreditLayer> m_credit;
    std::shared_ptr<GuiThreadRelay> m_relay;
    MapDelegate* m_delegate = nullptr;
    std::optional<bool> m_darkOverride;
    bool m_dark = false;

    QList<OverlayEntry> m_overlays; // kept sorted by z, each value in order of addition
    QList<std::shared_ptr<VectorLayerCache>> m_vectorRuns;
    QList<DrawStep> m_plan;
    bool m_planDirty = true;
    int m_vectorRenders = 0;
};
