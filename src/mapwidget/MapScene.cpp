#include "mapwidget/MapScene.h"

#include "mapwidget/BaseMapLayer.h"
#include "mapwidget/GuiThreadRelay.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapAnnotationLayer.h"
#include "mapwidget/MapAnnotationView.h"
#include "mapwidget/MapCreditLayer.h"
#include "mapwidget/MapDelegate.h"
#include "mapwidget/MapOverlay.h"
#include "mapwidget/MapOverlayRenderer.h"
#include "mapwidget/TileOverlayLayer.h"
#include "mapwidget/VectorLayerCache.h"
#include "platform/Appearance.h"

#include <QPainter>
#include <QSet>

#include <algorithm>

MapScene::MapScene(MapSceneOptions options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_camera(new MapCamera(this))
    , m_baseMap(new BaseMapLayer(m_options.baseMap, m_options.tileMemoryBytes, this))
    , m_annotations(std::make_unique<MapAnnotationLayer>([this] { Q_EMIT needsRepaint(); }))
    , m_credit(std::make_unique<MapCreditLayer>(*m_baseMap))
    , m_relay(GuiThreadRelay::create(this))
{
    m_baseMap->setEnabled(m_options.showBaseMap);
    connect(m_baseMap, &BaseMapLayer::changed, this, &MapScene::needsRepaint);
    connect(m_camera, &MapCamera::viewportChanged, this, &MapScene::viewChanged);
    connect(m_camera, &MapCamera::regionChanged, this, &MapScene::regionChanged);
    connect(m_camera, &MapCamera::needsRepaint, this, &MapScene::needsRepaint);
    connect(&Appearance::instance(), &Appearance::darkChanged, this, &MapScene::updateDark);
    m_dark = Appearance::instance().isDark();
}

MapScene::~MapScene()
{
    m_relay->detach();
    // Renderers may outlive the map in their owners' hands; they must not call back into it.
    for (OverlayEntry& entry : m_overlays)
        detachRenderer(entry);
}

QString MapScene::creditText()
{
    return MapCreditLayer::text();
}

MapDelegate& MapScene::delegate() const
{
    static MapDelegate defaults;
    return m_delegate ? *m_delegate : defaults;
}

// ---------------------------------------------------------------------------------------
// View and appearance

void MapScene::setLayersView()
{
    const MapViewport& view = viewport();
    if (view.isEmpty())
        return;
    m_baseMap->setView(view, m_dark);
    for (const OverlayEntry& entry : std::as_const(m_overlays)) {
        if (entry.layer)
            entry.layer->setView(view, m_dark);
    }
    m_annotations->setView(view, m_dark);
    m_credit->setView(view, m_dark);
}

void MapScene::viewChanged()
{
    if (viewport().isEmpty())
        return;
    setLayersView();
    Q_EMIT needsRepaint();
}

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
    setLayersView();
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

void MapScene::addOverlay(std::shared_ptr<MapOverlay> overlay, int z)
{
    if (!overlay || findOverlay(overlay.get()))
        return;
    OverlayEntry entry;
    entry.overlay = overlay;
    entry.z = z;
    entry.renderer = delegate().rendererFor(overlay);
    if (entry.renderer) {
        const MapOverlay* key = overlay.get();
        entry.renderer->setChangeHandler([this, key] { onRendererChange(key); });
        entry.layer = entry.renderer->makeLayer({m_relay, [this] { Q_EMIT needsRepaint(); }});
        if (entry.layer && !viewport().isEmpty())
            entry.layer->setView(viewport(), m_dark);
    }
    // After every overlay of the same value: later additions draw on top.
    const auto position =
        std::upper_bound(m_overlays.cbegin(), m_overlays.cend(), z,
                         [](int value, const OverlayEntry& e) { return value < e.z; });
    m_overlays.insert(position - m_overlays.cbegin(), std::move(entry));
    m_planDirty = true;
    Q_EMIT needsRepaint();
}

void MapScene::addOverlays(const QList<std::shared_ptr<MapOverlay>>& overlays, int z)
{
    for (const auto& overlay : overlays)
        addOverlay(overlay, z);
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

QList<std::shared_ptr<MapOverlay>> MapScene::overlays(int z) const
{
    QList<std::shared_ptr<MapOverlay>> result;
    for (const OverlayEntry& entry : m_overlays) {
        if (entry.z == z)
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
    return entry ? std::dynamic_pointer_cast<const TileOverlayLayer>(entry->layer) : nullptr;
}

void MapScene::onRendererChange(const MapOverlay* overlay)
{
    const OverlayEntry* entry = findOverlay(overlay);
    if (!entry)
        return;
    // A layer of its own is told by its renderer; a picture shared with other vector
    // overlays is drawn again.
    if (!entry->layer) {
        for (const auto& run : std::as_const(m_vectorRuns)) {
            if (run->contains(entry->renderer.get()))
                run->invalidate();
        }
    }
    Q_EMIT needsRepaint();
}

void MapScene::ensurePlan()
{
    if (!m_planDirty)
        return;
    m_planDirty = false;
    // Every drawn overlay and the scene's own layers, by z; at equal values the scene's
    // own lie below, overlays in the order of addition.
    struct Slot {
        int z;
        MapLayer* own;
        const OverlayEntry* overlay;
    };
    QList<Slot> order = {{MapZ::BaseMap, m_baseMap, nullptr},
                         {MapZ::Annotations, m_annotations.get(), nullptr},
                         {MapZ::Credit, m_credit.get(), nullptr}};
    for (const OverlayEntry& entry : std::as_const(m_overlays)) {
        if (entry.renderer)
            order.append({entry.z, nullptr, &entry});
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const Slot& a, const Slot& b) { return a.z < b.z; });

    const QList<std::shared_ptr<VectorLayerCache>> oldRuns = std::move(m_vectorRuns);
    m_vectorRuns.clear();
    m_plan.clear();
    QList<std::shared_ptr<MapOverlayRenderer>> run;
    const auto flush = [&] {
        if (run.isEmpty())
            return;
        // An unchanged run keeps its picture: adding or removing a tile overlay does not
        // make the lines draw again.
        std::shared_ptr<VectorLayerCache> cache;
        for (const auto& old : oldRuns) {
            if (old->renderers() == run) {
                cache = old;
                break;
            }
        }
        if (!cache) {
            cache = std::make_shared<VectorLayerCache>([this] { ++m_vectorRenders; });
            cache->setRenderers(run);
        }
        m_vectorRuns.append(cache);
        m_plan.append({cache.get(), nullptr});
        run.clear();
    };
    for (const Slot& slot : std::as_const(order)) {
        if (slot.overlay && !slot.overlay->layer) {
            run.append(slot.overlay->renderer);
            continue;
        }
        flush();
        if (slot.overlay)
            m_plan.append({slot.overlay->layer.get(), slot.overlay->renderer.get()});
        else
            m_plan.append({slot.own, nullptr});
    }
    flush();
}

// ---------------------------------------------------------------------------------------
// Annotations

void MapScene::addAnnotation(std::shared_ptr<MapAnnotation> annotation)
{
    addAnnotations({std::move(annotation)});
}

void MapScene::addAnnotations(const QList<std::shared_ptr<MapAnnotation>>& annotations)
{
    MapDelegate& views = delegate();
    m_annotations->add(annotations, [&](const std::shared_ptr<MapAnnotation>& annotation) {
        return views.viewFor(*this, annotation);
    });
}

void MapScene::removeAnnotation(const std::shared_ptr<MapAnnotation>& annotation)
{
    removeAnnotations({annotation});
}

void MapScene::removeAnnotations(const QList<std::shared_ptr<MapAnnotation>>& annotations)
{
    const std::shared_ptr<MapAnnotation>& selected = m_annotations->selected();
    if (selected && annotations.contains(selected))
        deselectAnnotation();
    m_annotations->remove(annotations);
}

QList<std::shared_ptr<MapAnnotation>> MapScene::annotations() const
{
    return m_annotations->annotations();
}

std::shared_ptr<MapAnnotationView> MapScene::view(const MapAnnotation* annotation) const
{
    return m_annotations->view(annotation);
}

std::shared_ptr<MapAnnotationView> MapScene::dequeueReusableView(const QString& identifier)
{
    return m_annotations->dequeueReusableView(identifier);
}

bool MapScene::isShown(const MapAnnotation* annotation)
{
    return m_annotations->isShown(annotation, viewport());
}

std::shared_ptr<MapAnnotation> MapScene::annotationAt(const QPointF& point)
{
    return m_annotations->annotationAt(point, viewport());
}

std::shared_ptr<MapAnnotation> MapScene::selectedAnnotation() const
{
    return m_annotations->selected();
}

void MapScene::selectAnnotation(const std::shared_ptr<MapAnnotation>& annotation)
{
    if (annotation == m_annotations->selected() || !m_annotations->contains(annotation.get()))
        return;
    deselectAnnotation();
    m_annotations->select(annotation);
    Q_EMIT annotationSelected(annotation);
}

void MapScene::deselectAnnotation()
{
    const std::shared_ptr<MapAnnotation> previous = m_annotations->deselect();
    if (previous)
        Q_EMIT annotationDeselected(previous);
}

// ---------------------------------------------------------------------------------------
// Drawing

bool MapScene::isLoaded() const
{
    if (!m_baseMap->isComplete())
        return false;
    return std::all_of(m_overlays.cbegin(), m_overlays.cend(), [](const OverlayEntry& entry) {
        return !entry.layer || entry.layer->isComplete();
    });
}

QImage MapScene::render()
{
    const qreal dpr = viewport().devicePixelRatio();
    QImage image(viewport().deviceSize().expandedTo(QSize(1, 1)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter);
    return image;
}

void MapScene::paint(QPainter& painter)
{
    const MapViewport& view = viewport();
    if (view.isEmpty())
        return;
    const bool moving = isMoving();
    painter.save();
    // Everything below works in device pixels, where whole-pixel placement is possible.
    painter.scale(1 / view.devicePixelRatio(), 1 / view.devicePixelRatio());
    // Smooth scaling is for still maps, and only where a picture is scaled (TileDrawing).
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);

    ensurePlan();
    m_baseMap->setHidden(std::any_of(m_plan.cbegin(), m_plan.cend(), [](const DrawStep& step) {
        return step.layer->hidesBaseMap();
    }));
    for (const DrawStep& step : std::as_const(m_plan)) {
        if (!step.alphaOf) {
            step.layer->paint(painter, view, moving);
            continue;
        }
        const double alpha = step.alphaOf->alpha();
        if (alpha <= 0)
            continue;
        painter.save();
        painter.setOpacity(painter.opacity() * alpha);
        step.layer->paint(painter, view, moving);
        painter.restore();
    }
    painter.restore();
}
