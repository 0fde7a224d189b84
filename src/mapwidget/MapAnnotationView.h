#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class MapAnnotation;
class QPainter;

// What the map draws for an annotation, chosen by the map's delegate and reused by
// identifier. A view is centred on its annotation's point, moved by centerOffset. Views
// are drawn from a small picture made once per device-pixel ratio and kept until the view
// changes (setNeedsDisplay), so many markers cost a blit each.
//
// Display priority decides collisions: when the rectangles of two views overlap, the one
// with the lower priority is hidden (required views are always shown). The map lays the
// views out again whenever the zoom changes.
class MapAnnotationView {
public:
    static constexpr float kPriorityRequired = 1000;
    static constexpr float kPriorityDefaultHigh = 750;
    static constexpr float kPriorityDefaultLow = 250;

    enum class CollisionMode { Rectangle, None };

    explicit MapAnnotationView(QString reuseIdentifier);
    MapAnnotationView(const MapAnnotationView&) = delete;
    MapAnnotationView& operator=(const MapAnnotationView&) = delete;
    virtual ~MapAnnotationView();

    const QString& reuseIdentifier() const { return m_reuseIdentifier; }

    const std::shared_ptr<MapAnnotation>& annotation() const { return m_annotation; }
    void setAnnotation(std::shared_ptr<MapAnnotation> annotation);

    float displayPriority() const { return m_displayPriority; }
    void setDisplayPriority(float priority);
    bool isRequired() const { return m_displayPriority >= kPriorityRequired; }
    CollisionMode collisionMode() const { return m_collisionMode; }
    void setCollisionMode(CollisionMode mode);
    bool canShowCallout() const { return m_canShowCallout; }
    void setCanShowCallout(bool show) { m_canShowCallout = show; }
    QPointF centerOffset() const { return m_centerOffset; }
    void setCenterOffset(const QPointF& offset);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    QSizeF size() const { return m_size; }
    // The view's rectangle, in points, when its annotation lies at `point`.
    QRectF frameAt(const QPointF& point) const;

    // The picture at `devicePixelRatio`, `size()` points large.
    const QImage& image(qreal devicePixelRatio);
    void setNeedsDisplay();

    // Used by the map: told when the picture or the size changed.
    void setChangeHandler(std::function<void()> handler);
    // Used by the map before it hands a view out again.
    virtual void prepareForReuse();

protected:
    void setSize(const QSizeF& size);
    // Draws the view in points, its top-left corner at (0, 0).
    virtual void paint(QPainter& painter) const = 0;
    virtual void selectionChanged() {}

private:
    QString m_reuseIdentifier;
    std::shared_ptr<MapAnnotation> m_annotation;
    float m_displayPriority = kPriorityRequired;
    CollisionMode m_collisionMode = CollisionMode::Rectangle;
    bool m_canShowCallout = false;
    QPointF m_centerOffset;
    bool m_selected = false;
    QSizeF m_size;
    QImage m_image;
    std::function<void()> m_changeHandler;
};
