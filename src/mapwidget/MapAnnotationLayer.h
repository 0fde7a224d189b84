#pragma once

#include "mapwidget/MapLayer.h"
#include "mapwidget/MapProjection.h"

#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>

#include <functional>
#include <memory>

class MapAnnotation;
class MapAnnotationView;

// The annotations with their views: which views collide and are hidden, the order they are
// drawn in (by priority, the selected one on top), hit tests, the selection with its
// callout, and a pool of views for reuse. Collisions depend on the zoom only, so the layout
// is made again when the scale or a view changes, not on a pan.
class MapAnnotationLayer : public MapLayer {
public:
    using ViewMaker =
        std::function<std::shared_ptr<MapAnnotationView>(const std::shared_ptr<MapAnnotation>&)>;

    // `changed` asks the scene to draw again.
    explicit MapAnnotationLayer(std::function<void()> changed);
    ~MapAnnotationLayer() override;

    // Views come from `makeView`; where it has none, a default marker (reused if pooled).
    // Annotations already present are skipped.
    void add(const QList<std::shared_ptr<MapAnnotation>>& annotations, const ViewMaker& makeView);
    // Their views go to the pool. The selected one must be deselected first.
    void remove(const QList<std::shared_ptr<MapAnnotation>>& annotations);
    bool contains(const MapAnnotation* annotation) const { return indexOf(annotation) >= 0; }
    QList<std::shared_ptr<MapAnnotation>> annotations() const;
    std::shared_ptr<MapAnnotationView> view(const MapAnnotation* annotation) const;
    std::shared_ptr<MapAnnotationView> dequeueReusableView(const QString& identifier);

    // Whether the view is drawn (not hidden by a collision) in `viewport`.
    bool isShown(const MapAnnotation* annotation, const MapViewport& viewport);
    // The topmost shown view under `point`.
    std::shared_ptr<MapAnnotation> annotationAt(const QPointF& point, const MapViewport& viewport);

    const std::shared_ptr<MapAnnotation>& selected() const { return m_selected; }
    // Selects a present annotation; the previous selection must be cleared first.
    void select(const std::shared_ptr<MapAnnotation>& annotation);
    // The annotation that was selected, or nullptr.
    std::shared_ptr<MapAnnotation> deselect();

    void setView(const MapViewport& viewport, bool dark) override;
    void paint(QPainter& painter, const MapViewport& viewport, bool moving) override;

private:
    struct Entry {
        std::shared_ptr<MapAnnotation> annotation;
        std::shared_ptr<MapAnnotationView> view;
        MapPoint point;
        bool shown = false;
    };

    qsizetype indexOf(const MapAnnotation* annotation) const;
    void retireView(const std::shared_ptr<MapAnnotationView>& view);
    void invalidate();
    void ensureLayout(const MapViewport& viewport);
    void paintCallout(QPainter& painter, const MapViewport& viewport, const Entry& selected) const;

    std::function<void()> m_changed;
    QList<Entry> m_entries;
    QList<qsizetype> m_drawOrder;
    QHash<QString, QList<std::shared_ptr<MapAnnotationView>>> m_reusePool;
    std::shared_ptr<MapAnnotation> m_selected;
    bool m_dark = false;
    qreal m_devicePixelRatio = 0;
    bool m_layoutDirty = true;
    double m_layoutScale = 0;
};
