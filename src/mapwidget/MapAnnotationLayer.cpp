#include "mapwidget/MapAnnotationLayer.h"

#include "mapwidget/AnnotationLayout.h"
#include "mapwidget/CalloutBubble.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapAnnotationView.h"
#include "mapwidget/MapViewport.h"
#include "mapwidget/MarkerAnnotationView.h"

#include <QPainter>
#include <QSet>

#include <algorithm>
#include <limits>
#include <numeric>

namespace {

constexpr qsizetype kMaxPooledViews = 128;
const QString kDefaultMarkerIdentifier = QStringLiteral("MapDefaultMarker");

} // namespace

MapAnnotationLayer::MapAnnotationLayer(std::function<void()> changed)
    : m_changed(std::move(changed))
{}

MapAnnotationLayer::~MapAnnotationLayer()
{
    // Views may outlive the map in their owners' hands; they must not call back into it.
    for (Entry& entry : m_entries)
        entry.view->setChangeHandler({});
    for (const auto& pool : std::as_const(m_reusePool))
        for (const auto& view : pool)
            view->setChangeHandler({});
}

qsizetype MapAnnotationLayer::indexOf(const MapAnnotation* annotation) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].annotation.get() == annotation)
            return i;
    }
    return -1;
}

void MapAnnotationLayer::invalidate()
{
    m_layoutDirty = true;
    m_changed();
}

void MapAnnotationLayer::add(const QList<std::shared_ptr<MapAnnotation>>& annotations,
                             const ViewMaker& makeView)
{
    QSet<const MapAnnotation*> present;
    for (const Entry& entry : std::as_const(m_entries))
        present.insert(entry.annotation.get());
    bool added = false;
    for (const auto& annotation : annotations) {
        if (!annotation || present.contains(annotation.get()))
            continue;
        present.insert(annotation.get());
        std::shared_ptr<MapAnnotationView> view = makeView(annotation);
        if (!view) {
            view = dequeueReusableView(kDefaultMarkerIdentifier);
            if (!view)
                view = std::make_shared<MarkerAnnotationView>(kDefaultMarkerIdentifier);
        }
        view->setAnnotation(annotation);
        view->setChangeHandler([this] { invalidate(); });
        m_entries.append(
            {annotation, std::move(view), MapProjection::toMapPoint(annotation->coordinate())});
        added = true;
    }
    if (added)
        invalidate();
}

void MapAnnotationLayer::remove(const QList<std::shared_ptr<MapAnnotation>>& annotations)
{
    QSet<const MapAnnotation*> removed;
    for (const auto& annotation : annotations)
        removed.insert(annotation.get());
    const qsizetype before = m_entries.size();
    m_entries.removeIf([&](const Entry& entry) {
        if (!removed.contains(entry.annotation.get()))
            return false;
        retireView(entry.view);
        return true;
    });
    if (m_entries.size() != before)
        invalidate();
}

void MapAnnotationLayer::retireView(const std::shared_ptr<MapAnnotationView>& view)
{
    view->setChangeHandler({});
    view->setAnnotation(nullptr); // a pooled view must not keep a removed annotation alive
    auto& pool = m_reusePool[view->reuseIdentifier()];
    if (!view->reuseIdentifier().isEmpty() && pool.size() < kMaxPooledViews)
        pool.append(view);
}

std::shared_ptr<MapAnnotationView>
MapAnnotationLayer::dequeueReusableView(const QString& identifier)
{
    auto it = m_reusePool.find(identifier);
    if (it == m_reusePool.end() || it->isEmpty())
        return nullptr;
    std::shared_ptr<MapAnnotationView> view = it->takeLast();
    view->prepareForReuse();
    return view;
}

QList<std::shared_ptr<MapAnnotation>> MapAnnotationLayer::annotations() const
{
    QList<std::shared_ptr<MapAnnotation>> result;
    result.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        result.append(entry.annotation);
    return result;
}

std::shared_ptr<MapAnnotationView> MapAnnotationLayer::view(const MapAnnotation* annotation) const
{
    const qsizetype index = indexOf(annotation);
    return index < 0 ? nullptr : m_entries[index].view;
}

bool MapAnnotationLayer::isShown(const MapAnnotation* annotation, const MapViewport& viewport)
{
    ensureLayout(viewport);
    const qsizetype index = indexOf(annotation);
    return index >= 0 && m_entries[index].shown;
}

void MapAnnotationLayer::select(const std::shared_ptr<MapAnnotation>& annotation)
{
    const qsizetype index = indexOf(annotation.get());
    if (index < 0 || m_selected)
        return;
    m_selected = annotation;
    m_entries[index].view->setSelected(true);
    invalidate();
}

std::shared_ptr<MapAnnotation> MapAnnotationLayer::deselect()
{
    if (!m_selected)
        return nullptr;
    std::shared_ptr<MapAnnotation> previous = std::move(m_selected);
    m_selected.reset();
    const qsizetype index = indexOf(previous.get());
    if (index >= 0)
        m_entries[index].view->setSelected(false);
    invalidate();
    return previous;
}

std::shared_ptr<MapAnnotation> MapAnnotationLayer::annotationAt(const QPointF& point,
                                                                const MapViewport& viewport)
{
    ensureLayout(viewport);
    for (auto it = m_drawOrder.crbegin(); it != m_drawOrder.crend(); ++it) {
        const Entry& entry = m_entries[*it];
        if (!entry.shown)
            continue;
        if (entry.view->frameAt(viewport.pointForMapPoint(entry.point)).contains(point))
            return entry.annotation;
    }
    return nullptr;
}

void MapAnnotationLayer::ensureLayout(const MapViewport& viewport)
{
    const double scale = viewport.scale();
    if (!m_layoutDirty && scale == m_layoutScale)
        return;
    m_layoutDirty = false;
    m_layoutScale = scale;

    // Collisions depend on the zoom only, so the layout works in the unpanned plane.
    QList<AnnotationLayout::Item> items;
    items.reserve(m_entries.size());
    for (const Entry& entry : std::as_const(m_entries)) {
        const MapAnnotationView& view = *entry.view;
        items.append({view.frameAt(QPointF(entry.point.x * scale, entry.point.y * scale)),
                      view.displayPriority(),
                      view.collisionMode() == MapAnnotationView::CollisionMode::Rectangle,
                      entry.annotation == m_selected});
    }
    const QList<bool> shown = AnnotationLayout::resolve(items);
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        m_entries[i].shown = shown[i];

    m_drawOrder.resize(m_entries.size());
    std::iota(m_drawOrder.begin(), m_drawOrder.end(), 0);
    const auto rank = [&](qsizetype i) {
        const Entry& entry = m_entries[i];
        return entry.annotation == m_selected ? std::numeric_limits<float>::max()
                                              : entry.view->displayPriority();
    };
    std::stable_sort(m_drawOrder.begin(), m_drawOrder.end(),
                     [&](qsizetype a, qsizetype b) { return rank(a) < rank(b); });
}

void MapAnnotationLayer::setView(const MapViewport& viewport, bool dark)
{
    m_dark = dark;
    // Views draw their pictures per device-pixel ratio.
    if (viewport.devicePixelRatio() != m_devicePixelRatio) {
        m_devicePixelRatio = viewport.devicePixelRatio();
        m_layoutDirty = true;
    }
}

void MapAnnotationLayer::paint(QPainter& painter, const MapViewport& viewport, bool)
{
    ensureLayout(viewport);
    const qreal dpr = viewport.devicePixelRatio();
    const QRect bounds(QPoint(0, 0), viewport.deviceSize());
    const Entry* selected = nullptr;
    for (qsizetype index : std::as_const(m_drawOrder)) {
        const Entry& entry = m_entries[index];
        if (!entry.shown)
            continue;
        MapAnnotationView& view = *entry.view;
        const QSizeF size = view.size();
        const QPointF topLeft =
            viewport.devicePoint(entry.point) +
            (view.centerOffset() - QPointF(size.width() / 2, size.height() / 2)) * dpr;
        const QRect target(topLeft.toPoint(), view.image(dpr).size());
        if (!target.intersects(bounds))
            continue;
        const QImage& image = view.image(dpr);
        painter.drawImage(target, image, image.rect());
        if (entry.annotation == m_selected)
            selected = &entry;
    }
    if (selected)
        paintCallout(painter, viewport, *selected);
}

void MapAnnotationLayer::paintCallout(QPainter& painter, const MapViewport& viewport,
                                      const Entry& selected) const
{
    if (!selected.view->canShowCallout() || selected.annotation->title().isEmpty())
        return;
    const MapAnnotationView& view = *selected.view;
    const QPointF anchor = viewport.pointForMapPoint(selected.point) + view.centerOffset() -
                           QPointF(0, view.size().height() / 2);
    const qreal dpr = viewport.devicePixelRatio();
    painter.save();
    painter.scale(dpr, dpr);
    CalloutBubble::paint(painter, anchor, selected.annotation->title(),
                         selected.annotation->subtitle(), m_dark);
    painter.restore();
}
