#include "mapwidget/MapWidget.h"

#include "geo/GeoDistance.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapOverlay.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWindow>

#include <cmath>

namespace {

// Wheel steps closer together than this are one zoom gesture.
constexpr int kWheelSettleMs = 250;
// One notch of a mouse wheel (120 eighths of a degree) zooms by half a level.
constexpr double kLevelsPerNotch = 0.5;

} // namespace

MapWidget::MapWidget(QWidget* parent, MapSceneOptions options)
    : QWidget(parent)
    , m_scene(new MapScene(std::move(options), this))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    connect(m_scene, &MapScene::needsRepaint, this, qOverload<>(&QWidget::update));
    connect(m_scene, &MapScene::regionChanged, this, &MapWidget::regionChanged);
    connect(m_scene, &MapScene::annotationSelected, this, &MapWidget::annotationSelected);
}

MapWidget::~MapWidget()
{
    cancelWheelSettle();
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    if (m_watchedHandle)
        m_watchedHandle->removeEventFilter(this);
}

double MapWidget::distance(const GeoCoordinate& a, const GeoCoordinate& b)
{
    return geoDistance(a, b);
}

void MapWidget::setRegion(const MapRegion& region, bool animated)
{
    // An animation nobody can see only delays the callers.
    m_scene->setRegion(region, animated && m_mapVisible);
}

void MapWidget::setCenterCoordinate(const GeoCoordinate& center, bool animated)
{
    m_scene->setCenterCoordinate(center, animated && m_mapVisible);
}

void MapWidget::addOverlay(std::shared_ptr<MapOverlay> overlay, int z)
{
    m_scene->addOverlay(std::move(overlay), z);
}

void MapWidget::removeOverlay(const std::shared_ptr<MapOverlay>& overlay)
{
    m_scene->removeOverlay(overlay);
}

void MapWidget::removeOverlays(const QList<std::shared_ptr<MapOverlay>>& overlays)
{
    m_scene->removeOverlays(overlays);
}

void MapWidget::addAnnotation(std::shared_ptr<MapAnnotation> annotation)
{
    m_scene->addAnnotation(std::move(annotation));
}

void MapWidget::addAnnotations(const QList<std::shared_ptr<MapAnnotation>>& annotations)
{
    m_scene->addAnnotations(annotations);
}

void MapWidget::removeAnnotation(const std::shared_ptr<MapAnnotation>& annotation)
{
    m_scene->removeAnnotation(annotation);
}

void MapWidget::removeAnnotations(const QList<std::shared_ptr<MapAnnotation>>& annotations)
{
    m_scene->removeAnnotations(annotations);
}

// ---------------------------------------------------------------------------------------
// Drawing and size

void MapWidget::paintEvent(QPaintEvent*)
{
    m_scene->setDevicePixelRatio(devicePixelRatioF());
    QPainter painter(this);
    m_scene->paint(painter);
    MapControls::paint(painter, size(), m_scene->isDark(), m_pressedButton);
}

void MapWidget::resizeEvent(QResizeEvent*)
{
    m_scene->setDevicePixelRatio(devicePixelRatioF());
    m_scene->setViewportSize(size());
    scheduleVisibilityCheck();
}

// ---------------------------------------------------------------------------------------
// Pointer

void MapWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPointF position = event->position();
    m_pressedButton = MapControls::buttonAt(size(), position);
    if (m_pressedButton != MapControls::Button::None) {
        update();
        return;
    }
    m_pressed = true;
    m_dragging = false;
    m_pressPosition = position;
    m_lastPosition = position;
}

void MapWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed)
        return;
    const QPointF position = event->position();
    if (!m_dragging) {
        if ((position - m_pressPosition).manhattanLength() < QApplication::startDragDistance())
            return;
        m_dragging = true;
        cancelWheelSettle();
        m_scene->beginGesture();
        setCursor(Qt::ClosedHandCursor);
    }
    m_scene->panBy(position - m_lastPosition);
    m_lastPosition = position;
}

void MapWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF position = event->position();
    if (m_pressedButton != MapControls::Button::None) {
        const MapControls::Button pressed = m_pressedButton;
        m_pressedButton = MapControls::Button::None;
        update();
        if (MapControls::buttonAt(size(), position) == pressed)
            zoomWithButton(pressed);
        return;
    }
    if (!m_pressed)
        return;
    m_pressed = false;
    if (m_dragging) {
        m_dragging = false;
        unsetCursor();
        m_scene->endGesture();
        return;
    }
    click(position);
}

void MapWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const MapControls::Button button = MapControls::buttonAt(size(), event->position());
    if (button != MapControls::Button::None) {
        // The second click of a quick pair on a button counts as a click of its own.
        m_pressedButton = button;
        update();
        return;
    }
    m_pressed = false;
    m_scene->zoomBy(1.0, event->position(), true);
}

void MapWidget::click(const QPointF& position)
{
    Q_EMIT tapped(m_scene->coordinateForPoint(position));
    const auto annotation = m_scene->annotationAt(position);
    if (!annotation)
        m_scene->deselectAnnotation();
    else if (annotation == m_scene->selectedAnnotation())
        // The tap may just have cleared a listener's selection; the click re-affirms it.
        Q_EMIT annotationSelected(annotation);
    else
        m_scene->selectAnnotation(annotation);
}

void MapWidget::zoomWithButton(MapControls::Button button)
{
    const QPointF center(width() / 2.0, height() / 2.0);
    m_scene->zoomBy(button == MapControls::Button::ZoomIn ? 1.0 : -1.0, center, true);
}

void MapWidget::wheelEvent(QWheelEvent* event)
{
    const QPoint angle = event->angleDelta();
    const int steps = angle.y() != 0 ? angle.y() : angle.x();
    if (steps == 0) {
        event->ignore();
        return;
    }
    if (!m_scene->isInGesture())
        m_scene->beginGesture();
    m_scene->zoomAround(m_scene->zoom() + steps / 120.0 * kLevelsPerNotch, event->position());
    if (!m_dragging)
        settleWheelLater();
    event->accept();
}

void MapWidget::settleWheelLater()
{
    cancelWheelSettle();
    m_wheelSettle = Clock::current().schedule(std::chrono::milliseconds(kWheelSettleMs), [this] {
        m_wheelSettle = 0;
        if (!m_dragging)
            m_scene->endGesture();
    });
}

void MapWidget::cancelWheelSettle()
{
    if (m_wheelSettle != 0)
        Clock::current().cancel(m_wheelSettle);
    m_wheelSettle = 0;
}

bool MapWidget::event(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        switch (gesture->gestureType()) {
        case Qt::BeginNativeGesture:
            m_scene->beginGesture();
            return true;
        case Qt::ZoomNativeGesture:
            m_scene->zoomAround(m_scene->zoom() + std::log2(1.0 + gesture->value()),
                                gesture->position());
            return true;
        case Qt::EndNativeGesture:
            if (!m_dragging)
                m_scene->endGesture();
            return true;
        default:
            break;
        }
    }
    if (event->type() == QEvent::ParentChange)
        watchWindow();
    return QWidget::event(event);
}

void MapWidget::keyPressEvent(QKeyEvent* event)
{
    // Keys belong to the application (arrows move through the frames).
    event->ignore();
}

// ---------------------------------------------------------------------------------------
// Visibility

void MapWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    watchWindow();
    scheduleVisibilityCheck();
}

void MapWidget::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    scheduleVisibilityCheck();
}

void MapWidget::watchWindow()
{
    QWidget* top = window();
    if (top != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = top;
        if (top && top != this)
            top->installEventFilter(this);
    }
    QWindow* handle = top ? top->windowHandle() : nullptr;
    if (handle != m_watchedHandle) {
        if (m_watchedHandle)
            m_watchedHandle->removeEventFilter(this);
        m_watchedHandle = handle;
        if (handle)
            handle->installEventFilter(this);
    }
    scheduleVisibilityCheck();
}

bool MapWidget::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Expose:
    case QEvent::WindowStateChange:
    case QEvent::Show:
    case QEvent::Hide:
        scheduleVisibilityCheck();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void MapWidget::scheduleVisibilityCheck()
{
    // The window's flags settle after the event that announces them; look once the event
    // loop is back.
    if (m_visibilityCheckPending)
        return;
    m_visibilityCheckPending = true;
    QMetaObject::invokeMethod(this, &MapWidget::checkVisibility, Qt::QueuedConnection);
}

bool MapWidget::computeVisible() const
{
    const QWidget* top = window();
    if (!isVisible() || !top || (top->windowState() & Qt::WindowMinimized))
        return false;
    const QWindow* handle = top->windowHandle();
    return handle && handle->isExposed();
}

void MapWidget::checkVisibility()
{
    m_visibilityCheckPending = false;
    if (!m_watchedHandle && window()->windowHandle())
        watchWindow();
    const bool visible = computeVisible();
    if (visible == m_mapVisible)
        return;
    m_mapVisible = visible;
    Q_EMIT visibilityChanged(visible);
    if (visible)
        update();
}
