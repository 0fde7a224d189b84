#include "mapwidget/MapScene.h"

#include "mapwidget/AnnotationLayout.h"
#include "mapwidget/BaseMapLayer.h"
#include "mapwidget/CalloutBubble.h"
#include "mapwidget/GuiThreadRelay.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapAnnotationView.h"
#include "mapwidget/MapDelegate.h"
#include "mapwidget/MapOverlay.h"
#include "mapwidget/MarkerAnnotationView.h"
#include "mapwidget/ShapeRenderer.h"
#include "mapwidget/TileOverlay.h"
#include "mapwidget/TileOverlayLayer.h"
#include "mapwidget/VectorLayerCache.h"
#include "platform/Appearance.h"

#include <QEasingCurve>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QSet>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

constexpr int kAnimationMs = 300;
constexpr qsizetype kMaxPooledViews = 128;
const QString kDefaultMarkerIdentifier = QStringLiteral("MapDefaultMarker");

MapDelegate& defaultDelegate()
{
    static MapDelegate delegate;
    return delegate;
}

} // namespace

MapScene::MapScene(MapSceneOptions options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_baseMap(new BaseMapLayer(m_options.baseMap, m_options.tileMemoryBytes, this))
    , m_relay(GuiThreadRelay::create(this))
    , m_animation(new QVariantAnimation(this))
{
    m_baseMap->setEnabled(m_options.showBaseMap);
    connect(m_baseMap, &BaseMapLayer::changed, this, &MapScene::needsRepaint);

    m_animation->setDuration(kAnimationMs);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { onAnimationStep(value.toDouble()); });
    connect(m_animation, &QVariantAnimation::finished, this, &MapScene::onAnimationFinished);

    connect(&Appearance::instance(), &Appearance::darkChanged, this, &MapScene::updateDark);
    m_dark = Appearance::instance().isDark();
}

MapScene::~MapScene()
{
    m_relay->detach();
    // Renderers and views may outlive the map in their owners' hands; they must not call
    // back into it.
    for (OverlayEntry& entry : m_overlays)
        detachRenderer(entry);
    for (AnnotationEntry& entry : m_annotations)
        entry.view->setChangeHandler({});
    for (const auto& pool : std::as_const(m_reusePool))
        for (const auto& view : pool)
            view->setChangeHandler({});
}

QString MapScene::creditText()
{
    return QStringLiteral("地理院タイル");
}

// ---------------------------------------------------------------------------------------
// View

bool MapScene::applyViewport(const MapViewport& viewport)
{
    if (viewport == m_viewport)
        return false;
    const double oldScale = m_viewport.scale();
    m_viewport = viewport;
    viewChanged(oldScale);
    return true;
}

void MapScene::viewChanged(double oldScale)
{
    if (m_viewport.isEmpty())
        return;
    m_baseMap->setView(m_viewport, m_dark);
    for (const OverlayEntry& entry : std::as_const(m_overlays)) {
        if (entry.tiles)
            entry.tiles->setView(m_viewport);
    }
    if (m_viewport.scale() != oldScale)
        m_layoutDirty = true;
    Q_EMIT needsRepaint();
}

void MapScene::setViewportSize(const QSizeF& size)
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

void MapScene::setDevicePixelRatio(qreal ratio)
{
    MapViewport next = m_viewport;
    next.setDevicePixelRatio(ratio);
    if (applyViewport(next)) {
        m_creditImage = QImage();
        m_layoutDirty = true;
    }
}

void MapScene::setRegion(const MapRegion& region, bool animated)
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

void MapScene::setCenterCoordinate(const GeoCoordinate& center, bool animated)
{
    setCamera(MapProjection::toMapPoint(center), m_viewport.zoom(), animated);
}

void MapScene::setCamera(const MapPoint& center, double zoom, bool animated)
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

QPointF MapScene::pointForCoordinate(const GeoCoordinate& coordinate) const
{
    return m_viewport.pointForCoordinate(coordinate);
}

GeoCoordinate MapScene::coordinateForPoint(const QPointF& point) const
{
    return m_viewport.coordinateForPoint(point);
}

bool MapScene::isAnimating() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

bool MapScene::isMoving() const
{
    return m_gestureActive || isAnimating();
}

void MapScene::animateTo(const MapViewport& target, std::optional<QPointF> anchor)
{
    interruptAnimation();
    if (target == m_viewport)
        return;
    m_animationFrom = m_viewport;
    m_animationTo = target;
    m_animationAnchor = anchor;
    m_animation->start();
}

void MapScene::interruptAnimation()
{
    if (!isAnimating())
        return;
    m_animation->stop();
    // The region did change on the way; whoever listens hears of it.
    Q_EMIT regionChanged(true);
    Q_EMIT needsRepaint();
}

void MapScene::finishAnimation()
{
    if (!isAnimating())
        return;
    m_animation->stop();
    onAnimationFinished();
}

void MapScene::onAnimationStep(double progress)
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

void MapScene::onAnimationFinished()
{
    MapViewport next = m_viewport;
    next.setZoom(m_animationTo.zoom());
    next.setCenter(m_animationTo.center());
    applyViewport(next);
    Q_EMIT regionChanged(true);
    // Drawn once more at full quality now that nothing moves.
    Q_EMIT needsRepaint();
}

void MapScene::beginGesture()
{
    interruptAnimation();
    if (m_gestureActive)
        return;
    m_gestureActive = true;
    m_gestureStart = m_viewport;
}

void MapScene::panBy(const QPointF& delta)
{
    if (!m_gestureActive)
        interruptAnimation();
    if (applyViewport(m_viewport.pannedBy(delta)) && !m_gestureActive)
        Q_EMIT regionChanged(false);
}

void MapScene::zoomAround(double zoom, const QPointF& anchor)
{
    if (!m_gestureActive)
        interruptAnimation();
    if (applyViewport(m_viewport.zoomedTo(zoom, anchor)) && !m_gestureActive)
        Q_EMIT regionChanged(false);
}

void MapScene::endGesture()
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

void MapScene::zoomBy(double levels, const QPointF& anchor, bool animated)
{
    // Successive clicks during an animation add up from where the last one was heading.
    const MapViewport from = isAnimating() ? m_animationTo : m_viewport;
    const double target = from.zoom() + levels;
    if (!animated) {
        zoomAround(target, anchor);
        return;
    }
    animateTo(from.zoomedTo(target, anchor), anchor);
}

// ---------------------------------------------------------------------------------------
// Appearance

void MapScene::setDarkOverride(std::optional<bool> dark)
{
    m_darkOverride = dark;
    updateDark();
}

void MapScene::updateDark()
{
    const bool dark = m_darkOverride.value_or(Appearance::instance().isDark());
    if (dark == m_dark)
        return;
    m_dark = dark;
    m_creditImage = QImage();
    if (!m_viewport.isEmpty())
        m_baseMap->setView(m_viewport, m_dark);
    Q_EMIT needsRepaint();
}

// ---------------------------------------------------------------------------------------
// Overlays

void MapScene::setDelegate(MapDelegate* delegate)
{
    m_delegate = delegate;
}

const MapScene::OverlayEntry* MapScene::findOverlay(const MapOverlay* overlay) const
{
    for (const OverlayEntry& entry : m_overlays) {
        if (entry.overlay.get() == overlay)
            return &entry;
    }
    return nullptr;
}

void MapScene::addOverlay(std::shared_ptr<MapOverlay> overlay, MapOverlayLevel level)
{
    if (!overlay || findOverlay(overlay.get()))
        return;
    OverlayEntry entry;
    entry.overlay = overlay;
    entry.level = level;
    MapDelegate& delegate = m_delegate ? *m_delegate : defaultDelegate();
    entry.renderer = delegate.rendererFor(overlay);
    if (entry.renderer) {
        const MapOverlay* key = overlay.get();
        entry.renderer->setChangeHandler(
            [this, key](MapOverlayRenderer::Change change) { onRendererChange(key, change); });
        if (auto tiles = std::dynamic_pointer_cast<TileOverlay>(overlay)) {
            entry.tiles = std::make_shared<TileOverlayLayer>(tiles, m_relay,
                                                             [this] { Q_EMIT needsRepaint(); });
            entry.tiles->setView(m_viewport);
        } else {
            entry.shape = std::dynamic_pointer_cast<ShapeRenderer>(entry.renderer);
        }
    }
    // Above-roads overlays stay in front of the list, each level in order of addition.
    qsizetype position = m_overlays.size();
    if (level == MapOverlayLevel::AboveRoads) {
        position = std::find_if(m_overlays.cbegin(), m_overlays.cend(),
                                [](const OverlayEntry& e) {
                                    return e.level == MapOverlayLevel::AboveLabels;
                                }) -
                   m_overlays.cbegin();
    }
    m_overlays.insert(position, std::move(entry));
    m_planDirty = true;
    Q_EMIT needsRepaint();
}

void MapScene::addOverlays(const QList<std::shared_ptr<MapOverlay>>& overlays,
                           MapOverlayLevel level)
{
    for (const auto& overlay : overlays)
        addOverlay(overlay, level);
}

void MapScene::detachRenderer(const OverlayEntry& entry)
{
    if (entry.renderer)
        entry.renderer->setChangeHandler({});
}

void MapScene::removeOverlay(const std::shared_ptr<MapOverlay>& overlay)
{
    removeOverlays({overlay});
}

void MapScene::removeOverlays(const QList<std::shared_ptr<MapOverlay>>& overlays)
{
    QSet<const MapOverlay*> removed;
    for (const auto& overlay : overlays)
        removed.insert(overlay.get());
    const qsizetype before = m_overlays.size();
    m_overlays.removeIf([&](const OverlayEntry& entry) {
        if (!removed.contains(entry.overlay.get()))
            return false;
        detachRenderer(entry);
        return true;
    });
    if (m_overlays.size() != before) {
        m_planDirty = true;
        Q_EMIT needsRepaint();
    }
}

QList<std::shared_ptr<MapOverlay>> MapScene::overlays() const
{
    QList<std::shared_ptr<MapOverlay>> result;
    result.reserve(m_overlays.size());
    for (const OverlayEntry& entry : m_overlays)
        result.append(entry.overlay);
    return result;
}

QList<std::shared_ptr<MapOverlay>> MapScene::overlays(MapOverlayLevel level) const
{
    QList<std::shared_ptr<MapOverlay>> result;
    for (const OverlayEntry& entry : m_overlays) {
        if (entry.level == level)
            result.append(entry.overlay);
    }
    return result;
}

std::shared_ptr<MapOverlayRenderer> MapScene::renderer(const MapOverlay* overlay) const
{
    const OverlayEntry* entry = findOverlay(overlay);
    return entry ? entry->renderer : nullptr;
}

std::shared_ptr<const TileOverlayLayer> MapScene::tileLayer(const MapOverlay* overlay) const
{
    const OverlayEntry* entry = findOverlay(overlay);
    return entry ? entry->tiles : nullptr;
}

void MapScene::onRendererChange(const MapOverlay* overlay, MapOverlayRenderer::Change change)
{
    const OverlayEntry* entry = findOverlay(overlay);
    if (!entry)
        return;
    if (entry->tiles) {
        if (change == MapOverlayRenderer::Change::ReloadTiles)
            entry->tiles->reload();
    } else if (entry->shape) {
        for (const DrawStep& step : std::as_const(m_plan)) {
            if (step.vectors && step.vectors->contains(entry->shape.get()))
                step.vectors->invalidate();
        }
    }
    Q_EMIT needsRepaint();
}

void MapScene::ensurePlan()
{
    if (!m_planDirty)
        return;
    m_planDirty = false;
    const QList<DrawStep> old = std::move(m_plan);
    m_plan.clear();
    QList<std::shared_ptr<ShapeRenderer>> run;
    const auto flush = [&] {
        if (run.isEmpty())
            return;
        // An unchanged run keeps its picture: adding or removing a tile overlay does not
        // make the lines draw again.
        std::shared_ptr<VectorLayerCache> cache;
        for (const DrawStep& step : old) {
            if (step.vectors && step.vectors->renderers() == run) {
                cache = step.vectors;
                break;
            }
        }
        if (!cache) {
            cache = std::make_shared<VectorLayerCache>();
            cache->setRenderers(run);
        }
        m_plan.append({nullptr, nullptr, cache});
        run.clear();
    };
    for (const OverlayEntry& entry : std::as_const(m_overlays)) {
        if (entry.tiles) {
            flush();
            m_plan.append({entry.tiles, entry.renderer.get(), nullptr});
        } else if (entry.shape) {
            run.append(entry.shape);
        }
    }
    flush();
}

// ---------------------------------------------------------------------------------------
// Annotations

qsizetype MapScene::findAnnotation(const MapAnnotation* annotation) const
{
    for (qsizetype i = 0; i < m_annotations.size(); ++i) {
        if (m_annotations[i].annotation.get() == annotation)
            return i;
    }
    return -1;
}

void MapScene::addAnnotation(std::shared_ptr<MapAnnotation> annotation)
{
    addAnnotations({std::move(annotation)});
}

void MapScene::addAnnotations(const QList<std::shared_ptr<MapAnnotation>>& annotations)
{
    QSet<const MapAnnotation*> present;
    for (const AnnotationEntry& entry : std::as_const(m_annotations))
        present.insert(entry.annotation.get());
    MapDelegate& delegate = m_delegate ? *m_delegate : defaultDelegate();
    bool added = false;
    for (const auto& annotation : annotations) {
        if (!annotation || present.contains(annotation.get()))
            continue;
        present.insert(annotation.get());
        std::shared_ptr<MapAnnotationView> view = delegate.viewFor(*this, annotation);
        if (!view) {
            view = dequeueReusableView(kDefaultMarkerIdentifier);
            if (!view)
                view = std::make_shared<MarkerAnnotationView>(kDefaultMarkerIdentifier);
        }
        view->setAnnotation(annotation);
        view->setChangeHandler([this] {
            m_layoutDirty = true;
            Q_EMIT needsRepaint();
        });
        m_annotations.append(
            {annotation, std::move(view), MapProjection::toMapPoint(annotation->coordinate())});
        added = true;
    }
    if (added) {
        m_layoutDirty = true;
        Q_EMIT needsRepaint();
    }
}

void MapScene::removeAnnotation(const std::shared_ptr<MapAnnotation>& annotation)
{
    removeAnnotations({annotation});
}

void MapScene::removeAnnotations(const QList<std::shared_ptr<MapAnnotation>>& annotations)
{
    QSet<const MapAnnotation*> removed;
    for (const auto& annotation : annotations)
        removed.insert(annotation.get());
    if (m_selected && removed.contains(m_selected.get()))
        deselectAnnotation();
    const qsizetype before = m_annotations.size();
    m_annotations.removeIf([&](const AnnotationEntry& entry) {
        if (!removed.contains(entry.annotation.get()))
            return false;
        retireView(entry.view);
        return true;
    });
    if (m_annotations.size() != before) {
        m_layoutDirty = true;
        Q_EMIT needsRepaint();
    }
}

void MapScene::retireView(const std::shared_ptr<MapAnnotationView>& view)
{
    view->setChangeHandler({});
    view->setAnnotation(nullptr); // a pooled view must not keep a removed annotation alive
    auto& pool = m_reusePool[view->reuseIdentifier()];
    if (!view->reuseIdentifier().isEmpty() && pool.size() < kMaxPooledViews)
        pool.append(view);
}

std::shared_ptr<MapAnnotationView> MapScene::dequeueReusableView(const QString& identifier)
{
    auto it = m_reusePool.find(identifier);
    if (it == m_reusePool.end() || it->isEmpty())
        return nullptr;
    std::shared_ptr<MapAnnotationView> view = it->takeLast();
    view->prepareForReuse();
    return view;
}

QList<std::shared_ptr<MapAnnotation>> MapScene::annotations() const
{
    QList<std::shared_ptr<MapAnnotation>> result;
    result.reserve(m_annotations.size());
    for (const AnnotationEntry& entry : m_annotations)
        result.append(entry.annotation);
    return result;
}

std::shared_ptr<MapAnnotationView> MapScene::view(const MapAnnotation* annotation) const
{
    const qsizetype index = findAnnotation(annotation);
    return index < 0 ? nullptr : m_annotations[index].view;
}

bool MapScene::isShown(const MapAnnotation* annotation)
{
    ensureLayout();
    const qsizetype index = findAnnotation(annotation);
    return index >= 0 && m_annotations[index].shown;
}

void MapScene::selectAnnotation(const std::shared_ptr<MapAnnotation>& annotation)
{
    if (annotation == m_selected)
        return;
    const qsizetype index = findAnnotation(annotation.get());
    if (index < 0)
        return;
    deselectAnnotation();
    m_selected = annotation;
    m_annotations[index].view->setSelected(true);
    m_layoutDirty = true;
    Q_EMIT needsRepaint();
    Q_EMIT annotationSelected(annotation);
}

void MapScene::deselectAnnotation()
{
    if (!m_selected)
        return;
    const std::shared_ptr<MapAnnotation> previous = std::move(m_selected);
    m_selected.reset();
    const qsizetype index = findAnnotation(previous.get());
    if (index >= 0)
        m_annotations[index].view->setSelected(false);
    m_layoutDirty = true;
    Q_EMIT needsRepaint();
    Q_EMIT annotationDeselected(previous);
}

std::shared_ptr<MapAnnotation> MapScene::annotationAt(const QPointF& point)
{
    ensureLayout();
    for (auto it = m_drawOrder.crbegin(); it != m_drawOrder.crend(); ++it) {
        const AnnotationEntry& entry = m_annotations[*it];
        if (!entry.shown)
            continue;
        if (entry.view->frameAt(m_viewport.pointForMapPoint(entry.point)).contains(point))
            return entry.annotation;
    }
    return nullptr;
}

void MapScene::ensureLayout()
{
    const double scale = m_viewport.scale();
    if (!m_layoutDirty && scale == m_layoutScale)
        return;
    m_layoutDirty = false;
    m_layoutScale = scale;

    // Collisions depend on the zoom only, so the layout works in the unpanned plane.
    QList<AnnotationLayout::Item> items;
    items.reserve(m_annotations.size());
    for (const AnnotationEntry& entry : std::as_const(m_annotations)) {
        const MapAnnotationView& view = *entry.view;
        items.append({view.frameAt(QPointF(entry.point.x * scale, entry.point.y * scale)),
                      view.displayPriority(),
                      view.collisionMode() == MapAnnotationView::CollisionMode::Rectangle,
                      entry.annotation == m_selected});
    }
    const QList<bool> shown = AnnotationLayout::resolve(items);
    for (qsizetype i = 0; i < m_annotations.size(); ++i)
        m_annotations[i].shown = shown[i];

    m_drawOrder.resize(m_annotations.size());
    std::iota(m_drawOrder.begin(), m_drawOrder.end(), 0);
    const auto rank = [&](qsizetype i) {
        const AnnotationEntry& entry = m_annotations[i];
        return entry.annotation == m_selected ? std::numeric_limits<float>::max()
                                              : entry.view->displayPriority();
    };
    std::stable_sort(m_drawOrder.begin(), m_drawOrder.end(),
                     [&](qsizetype a, qsizetype b) { return rank(a) < rank(b); });
}

// ---------------------------------------------------------------------------------------
// Drawing

bool MapScene::isLoaded() const
{
    if (!m_baseMap->isComplete())
        return false;
    return std::all_of(m_overlays.cbegin(), m_overlays.cend(), [](const OverlayEntry& entry) {
        return !entry.tiles || entry.tiles->isComplete();
    });
}

QImage MapScene::render()
{
    const qreal dpr = m_viewport.devicePixelRatio();
    QImage image(m_viewport.deviceSize().expandedTo(QSize(1, 1)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter);
    return image;
}

void MapScene::paint(QPainter& painter)
{
    if (m_viewport.isEmpty())
        return;
    const qreal dpr = m_viewport.devicePixelRatio();
    const bool moving = isMoving();
    painter.save();
    // Everything below works in device pixels, where whole-pixel placement is possible.
    painter.scale(1 / dpr, 1 / dpr);
    // Smooth scaling is for still maps, and only where a picture is scaled (TileDrawing).
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);

    ensurePlan();
    const bool replaced = std::any_of(m_overlays.cbegin(), m_overlays.cend(), [](const auto& e) {
        return e.tiles && e.tiles->overlay()->canReplaceMapContent();
    });
    if (replaced) {
        painter.fillRect(QRect(QPoint(0, 0), m_viewport.deviceSize()),
                         BaseMapLayer::backgroundColor(m_dark));
    } else {
        m_baseMap->paint(painter, m_viewport, m_dark, !moving);
    }

    for (const DrawStep& step : std::as_const(m_plan)) {
        if (step.tiles) {
            step.tiles->paint(painter, m_viewport, step.renderer->alpha(), !moving);
        } else if (step.vectors) {
            if (step.vectors->needsRender(m_viewport, moving))
                ++m_vectorRenders;
            step.vectors->paint(painter, m_viewport, moving);
        }
    }

    paintAnnotations(painter);
    if (m_baseMap->isEnabled() && !replaced)
        paintCredit(painter);
    painter.restore();
}

void MapScene::paintAnnotations(QPainter& painter)
{
    ensureLayout();
    const qreal dpr = m_viewport.devicePixelRatio();
    const QRect bounds(QPoint(0, 0), m_viewport.deviceSize());
    const AnnotationEntry* selected = nullptr;
    for (qsizetype index : std::as_const(m_drawOrder)) {
        const AnnotationEntry& entry = m_annotations[index];
        if (!entry.shown)
            continue;
        MapAnnotationView& view = *entry.view;
        const QSizeF size = view.size();
        const QPointF topLeft =
            m_viewport.devicePoint(entry.point) +
            (view.centerOffset() - QPointF(size.width() / 2, size.height() / 2)) * dpr;
        const QRect target(topLeft.toPoint(), view.image(dpr).size());
        if (!target.intersects(bounds))
            continue;
        const QImage& image = view.image(dpr);
        painter.drawImage(target, image, image.rect());
        if (entry.annotation == m_selected)
            selected = &entry;
    }
    if (!selected || !selected->view->canShowCallout() || selected->annotation->title().isEmpty())
        return;
    const MapAnnotationView& view = *selected->view;
    const QPointF anchor = m_viewport.pointForMapPoint(selected->point) + view.centerOffset() -
                           QPointF(0, view.size().height() / 2);
    painter.save();
    painter.scale(dpr, dpr);
    CalloutBubble::paint(painter, anchor, selected->annotation->title(),
                         selected->annotation->subtitle(), m_dark);
    painter.restore();
}

void MapScene::paintCredit(QPainter& painter)
{
    const qreal dpr = m_viewport.devicePixelRatio();
    if (m_creditImage.isNull()) {
        QFont font;
        font.setPixelSize(10);
        const QFontMetricsF metrics(font);
        const QSizeF size(std::ceil(metrics.horizontalAdvance(creditText())) + 8,
                          std::ceil(metrics.height()) + 2);
        m_creditImage =
            QImage(QSize(int(std::ceil(size.width() * dpr)), int(std::ceil(size.height() * dpr))),
                   QImage::Format_ARGB32_Premultiplied);
        m_creditImage.setDevicePixelRatio(dpr);
        m_creditImage.fill(m_dark ? QColor(0, 0, 0, 140) : QColor(255, 255, 255, 170));
        QPainter credit(&m_creditImage);
        credit.setFont(font);
        credit.setPen(m_dark ? QColor(220, 220, 220) : QColor(40, 40, 40));
        credit.drawText(QRectF(QPointF(0, 0), size), Qt::AlignCenter, creditText());
    }
    const int margin = int(std::lround(2 * dpr));
    const QPoint position(margin,
                          m_viewport.deviceSize().height() - m_creditImage.height() - margin);
    painter.drawImage(QRect(position, m_creditImage.size()), m_creditImage, m_creditImage.rect());
}
