#pragma once

#include "geo/GeoTypes.h"
#include "mapwidget/BaseMapLoader.h"
#include "mapwidget/MapOverlayLevel.h"
#include "mapwidget/MapOverlayRenderer.h"
#include "mapwidget/MapViewport.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>

#include <memory>
#include <optional>

class BaseMapLayer;
class GuiThreadRelay;
class MapAnnotation;
class MapAnnotationView;
class MapDelegate;
class MapOverlay;
class QPainter;
class QVariantAnimation;
class ShapeRenderer;
class TileOverlayLayer;
class VectorLayerCache;

struct MapSceneOptions {
    BaseMapOptions baseMap;
    bool showBaseMap = true;
    qint64 tileMemoryBytes = qint64(96) << 20;
};

// The map without a window: the view (region, zoom), the base map, the overlays with their
// renderers, the annotations with their views, and the drawing of all of it into any
// QPainter, so the map is rendered and tested offscreen. MapWidget puts it on screen and
// turns input into the gesture calls below.
//
// Drawing order: base map, above-roads overlays, above-labels overlays (each level in the
// order of addition), annotation views (by priority, the selected one on top), the
// callout, the credit. Vector overlays that follow each other are drawn through one cached
// picture (VectorLayerCache), so tile pictures can change without redrawing lines.
//
// regionChanged(animated) follows every change of the region: at once for programmatic
// changes without animation, at the end of an animation, and at the end of a gesture.
// Lives on the GUI thread; nothing here runs a timer while the map stands still.
class MapScene : public QObject {
    Q_OBJECT

public:
    explicit MapScene(MapSceneOptions options = {}, QObject* parent = nullptr);
    ~MapScene() override;

    // View.
    const MapViewport& viewport() const { return m_viewport; }
    void setViewportSize(const QSizeF& size);
    void setDevicePixelRatio(qreal ratio);
    MapRegion region() const { return m_viewport.region(); }
    // Fits the whole region into the view, centred on its centre. Before the view has a
    // size the region waits and is applied when the size comes.
    void setRegion(const MapRegion& region, bool animated = false);
    // A region set while the scene had no size waits for one; until then region() is not it.
    bool hasPendingRegion() const { return m_pendingRegion.has_value(); }
    GeoCoordinate centerCoordinate() const { return m_viewport.centerCoordinate(); }
    void setCenterCoordinate(const GeoCoordinate& center, bool animated = false);
    MapRect visibleMapRect() const { return m_viewport.visibleMapRect(); }
    double zoom() const { return m_viewport.zoom(); }
    void setCamera(const MapPoint& center, double zoom, bool animated = false);
    QPointF pointForCoordinate(const GeoCoordinate& coordinate) const;
    GeoCoordinate coordinateForPoint(const QPointF& point) const;

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
    bool isMoving() const;

    // Overlays.
    void setDelegate(MapDelegate* delegate); // not owned; nullptr: defaults
    void addOverlay(std::shared_ptr<MapOverlay> overlay,
                    MapOverlayLevel level = MapOverlayLevel::AboveLabels);
    void addOverlays(const QList<std::shared_ptr<MapOverlay>>& overlays,
                     MapOverlayLevel level = MapOverlayLevel::AboveLabels);
    void removeOverlay(const std::shared_ptr<MapOverlay>& overlay);
    void removeOverlays(const QList<std::shared_ptr<MapOverlay>>& overlays);
    // In drawing order.
    QList<std::shared_ptr<MapOverlay>> overlays() const;
    QList<std::shared_ptr<MapOverlay>> overlays(MapOverlayLevel level) const;
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
    std::shared_ptr<MapAnnotation> selectedAnnotation() const { return m_selected; }
    void selectAnnotation(const std::shared_ptr<MapAnnotation>& annotation);
    void deselectAnnotation();

    // Appearance: follows Appearance unless overridden.
    bool isDark() const { return m_dark; }
    void setDarkOverride(std::optional<bool> dark);

    // Drawing. The painter's device shows the whole view at the view's device-pixel ratio.
    void paint(QPainter& painter);
    QImage render();
    // Every visible tile of the base map and of each tile overlay is there (or failed).
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
        MapOverlayLevel level = MapOverlayLevel::AboveLabels;
        std::shared_ptr<MapOverlayRenderer> renderer;
        std::shared_ptr<TileOverlayLayer> tiles;
        std::shared_ptr<ShapeRenderer> shape;
    };
    struct DrawStep {
        std::shared_ptr<TileOverlayLayer> tiles;
        MapOverlayRenderer* renderer = nullptr;
        std::shared_ptr<VectorLayerCache> vectors;
    };
    struct AnnotationEntry {
        std::shared_ptr<MapAnnotation> annotation;
        std::shared_ptr<MapAnnotationView> view;
        MapPoint point;
        bool shown = false;
    };

    bool applyViewport(const MapViewport& viewport);
    void viewChanged(double oldScale);
    void animateTo(const MapViewport& target, std::optional<QPointF> anchor = std::nullopt);
    void interruptAnimation();
    void onAnimationStep(double progress);
    void onAnimationFinished();
    void updateDark();

    const OverlayEntry* findOverlay(const MapOverlay* overlay) const;
    void onRendererChange(const MapOverlay* overlay, MapOverlayRenderer::Change change);
    void ensurePlan();
    static void detachRenderer(const OverlayEntry& entry);

    qsizetype findAnnotation(const MapAnnotation* annotation) const;
    void retireView(const std::shared_ptr<MapAnnotationView>& view);
    void ensureLayout();
    void paintAnnotations(QPainter& painter);
    void paintCredit(QPainter& painter);

    MapSceneOptions m_options;
    MapViewport m_viewport;
    std::optional<MapRegion> m_pendingRegion;
    BaseMapLayer* m_baseMap;
    std::shared_ptr<GuiThreadRelay> m_relay;
    MapDelegate* m_delegate = nullptr;
    std::optional<bool> m_darkOverride;
    bool m_dark = false;

    QVariantAnimation* m_animation;
    MapViewport m_animationFrom;
    MapViewport m_animationTo;
    std::optional<QPointF> m_animationAnchor;
    bool m_gestureActive = false;
    MapViewport m_gestureStart;

    QList<OverlayEntry> m_overlays; // kept sorted: above roads, then above labels
    QList<DrawStep> m_plan;
    bool m_planDirty = true;
    int m_vectorRenders = 0;

    QList<AnnotationEntry> m_annotations;
    QList<qsizetype> m_drawOrder;
    QHash<QString, QList<std::shared_ptr<MapAnnotationView>>> m_reusePool;
    std::shared_ptr<MapAnnotation> m_selected;
    bool m_layoutDirty = true;
    double m_layoutScale = 0;

    QImage m_creditImage;
};
