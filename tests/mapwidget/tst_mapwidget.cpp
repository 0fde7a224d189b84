#include "FakeClock.h"
#include "SceneTestValues.h"
#include "TestRegistry.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapControls.h"
#include "mapwidget/MapWidget.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

using namespace std::chrono_literals;

class TestMapWidget : public QObject {
    Q_OBJECT

    std::unique_ptr<MapWidget> m_map;

private Q_SLOTS:
    void init()
    {
        m_map = std::make_unique<MapWidget>(nullptr, withoutBaseMap());
        m_map->resize(600, 400);
        m_map->setRegion({kCenter, 2, 2});
        m_map->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_map.get()));
    }
    void cleanup() { m_map.reset(); }

    // The ground under the pointer follows it; the region is reported once, at release.
    void dragPans()
    {
        QSignalSpy changed(m_map.get(), &MapWidget::regionChanged);
        QSignalSpy tapped(m_map.get(), &MapWidget::tapped);
        const GeoCoordinate grabbed = m_map->scene().coordinateForPoint(QPointF(300, 200));
        QTest::mousePress(m_map.get(), Qt::LeftButton, {}, QPoint(300, 200));
        for (int step = 1; step <= 5; ++step)
            QTest::mouseMove(m_map.get(), QPoint(300 + 20 * step, 200 + 10 * step));
        QCOMPARE(changed.size(), 0);
        QTest::mouseRelease(m_map.get(), Qt::LeftButton, {}, QPoint(400, 250));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).toBool(), false);
        QCOMPARE(tapped.size(), 0);
        QVERIFY(MapWidget::distance(m_map->scene().coordinateForPoint(QPointF(400, 250)), grabbed) <
                500);
    }

    // Wheel steps zoom about the pointer and count as one gesture until they pause.
    void wheelZoomsAboutThePointer()
    {
        FakeClock clock;
        QSignalSpy changed(m_map.get(), &MapWidget::regionChanged);
        const double zoom = m_map->scene().zoom();
        const QPointF pointer(150, 120);
        const GeoCoordinate under = m_map->scene().coordinateForPoint(pointer);
        for (int i = 0; i < 2; ++i) {
            QWheelEvent wheel(pointer, m_map->mapToGlobal(pointer), QPoint(), QPoint(0, 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(m_map.get(), &wheel);
            clock.advance(100ms);
        }
        QVERIFY(std::abs(m_map->scene().zoom() - (zoom + 1.0)) < 1e-9);
        QVERIFY(MapWidget::distance(m_map->scene().coordinateForPoint(pointer), under) < 200);
        QCOMPARE(changed.size(), 0);
        QVERIFY(m_map->scene().isMoving());
        clock.advance(300ms);
        QCOMPARE(changed.size(), 1);
        QVERIFY(!m_map->scene().isMoving());
    }

    void doubleClickZoomsInAndButtonsZoom()
    {
        QSignalSpy tapped(m_map.get(), &MapWidget::tapped);
        QSignalSpy changed(m_map.get(), &MapWidget::regionChanged);
        const double zoom = m_map->scene().zoom();
        const GeoCoordinate under = m_map->scene().coordinateForPoint(QPointF(200, 150));
        QTest::mouseDClick(m_map.get(), Qt::LeftButton, {}, QPoint(200, 150));
        QVERIFY(m_map->scene().isAnimating());
        m_map->scene().finishAnimation();
        QVERIFY(std::abs(m_map->scene().zoom() - (zoom + 1)) < 1e-9);
        QVERIFY(MapWidget::distance(m_map->scene().coordinateForPoint(QPointF(200, 150)), under) <
                100);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).toBool(), true);

        // A second click during the animation zooms on from its target. The buttons are not
        // the map: clicking them is no tap.
        const qsizetype tapsBefore = tapped.size();
        for (auto [button, clicks, expected] : {std::tuple{MapControls::Button::ZoomOut, 2, -1.0},
                                                std::tuple{MapControls::Button::ZoomIn, 1, 0.0}}) {
            const QPoint at = MapControls::buttonRect(m_map->size(), button).center().toPoint();
            for (int i = 0; i < clicks; ++i)
                QTest::mouseClick(m_map.get(), Qt::LeftButton, {}, at);
            m_map->scene().finishAnimation();
            QVERIFY(std::abs(m_map->scene().zoom() - (zoom + expected)) < 1e-9);
        }
        QCOMPARE(tapped.size(), tapsBefore);
    }

    // Every click is a tap; a click on a marker then selects it, after the tap.
    void clicksTapAndSelect()
    {
        auto marker = std::make_shared<MapAnnotation>(kCenter, QStringLiteral("台風第5号"));
        m_map->addAnnotation(marker);
        QStringList events;
        connect(m_map.get(), &MapWidget::tapped, this,
                [&] { events.append(QStringLiteral("tap")); });
        connect(m_map.get(), &MapWidget::annotationSelected, this,
                [&](const std::shared_ptr<MapAnnotation>& a) {
                    events.append(a == marker ? QStringLiteral("select") : QStringLiteral("other"));
                });
        const QPoint head = (m_map->scene().pointForCoordinate(kCenter) - QPointF(0, 22)).toPoint();
        QTest::mouseClick(m_map.get(), Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseClick(m_map.get(), Qt::LeftButton, {}, head - QPoint(8, 0));
        // Clicking the selected marker again: the tap clears, the selection comes back.
        QTest::mouseClick(m_map.get(), Qt::LeftButton, {}, head + QPoint(8, 0));
        const QString tap = QStringLiteral("tap");
        const QString select = QStringLiteral("select");
        QCOMPARE(events, (QStringList{tap, tap, select, tap, select}));
        QCOMPARE(m_map->scene().selectedAnnotation(), marker);
        QTest::mouseClick(m_map.get(), Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(m_map->scene().selectedAnnotation(), nullptr);
    }

    void arrowKeysAreLeftToTheApplication()
    {
        for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(m_map.get(), &press);
            QVERIFY(!press.isAccepted());
        }
    }

    void visibilityFollowsTheWindow()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* map = new MapWidget(&window, withoutBaseMap());
        layout->addWidget(map);
        window.resize(400, 300);
        QSignalSpy visible(map, &MapWidget::visibilityChanged);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(map->isMapVisible());
        QCOMPARE(visible.size(), 1);

        window.showMinimized();
        QTRY_VERIFY(!map->isMapVisible());
        window.showNormal();
        QTRY_VERIFY(map->isMapVisible());
        map->hide();
        QTRY_VERIFY(!map->isMapVisible());
        map->show();
        QTRY_VERIFY(map->isMapVisible());
        window.hide();
        QTRY_VERIFY(!map->isMapVisible());
        QCOMPARE(visible.size(), 6);
        QCOMPARE(visible.last().at(0).toBool(), false);
    }
};

SHIGUREN_TEST(TestMapWidget)
#include "tst_mapwidget.moc"
