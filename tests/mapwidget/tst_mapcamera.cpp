#include "SceneTestValues.h"
#include "TestRegistry.h"
#include "mapwidget/MapCamera.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {

// A camera with a size, showing 2° around kCenter.
struct Camera : MapCamera {
    Camera()
    {
        setViewportSize(QSizeF(800, 600));
        setRegion({kCenter, 2.0, 2.0});
    }
};

QList<bool> animatedFlags(QSignalSpy& spy)
{
    QList<bool> flags;
    for (const QList<QVariant>& call : std::as_const(spy))
        flags.append(call.at(0).toBool());
    spy.clear();
    return flags;
}

} // namespace

class TestMapCamera : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Animations end through finishAnimation(), which is where a running one ends too.
    void regionChangedFollowsEveryChange()
    {
        MapCamera camera;
        QSignalSpy changed(&camera, &MapCamera::regionChanged);
        // Before the view has a size the region waits for it.
        camera.setRegion({kCenter, 1.1, 1.1});
        QVERIFY(camera.hasPendingRegion());
        camera.setViewportSize(QSizeF(800, 600));
        QVERIFY(!camera.hasPendingRegion());
        QVERIFY(near(camera.viewport().region().latitudeDelta, 1.1));
        changed.clear();

        camera.setRegion({{36.0, 138.0}, 26.0, 26.0});
        QCOMPARE(animatedFlags(changed), QList<bool>{false});
        camera.setRegion(camera.viewport().region());
        QCOMPARE(changed.size(), 0);

        camera.setRegion({kCenter, 1.1, 1.1}, true);
        QVERIFY(camera.isAnimating() && camera.isMoving());
        QCOMPARE(changed.size(), 0);
        camera.finishAnimation();
        QCOMPARE(animatedFlags(changed), QList<bool>{true});
        QVERIFY(!camera.isAnimating());
        QVERIFY(near(camera.viewport().region().latitudeDelta, 1.1));
    }

    // Between begin and end the view follows the hand and the region is reported once, at
    // the end, and only if the view moved.
    void gesturesReportAtTheEnd_data()
    {
        QTest::addColumn<QPointF>("pan");
        QTest::addColumn<double>("zoomStep");
        QTest::addColumn<QList<bool>>("reported");
        QTest::newRow("pan") << QPointF(40, -25) << 0.0 << QList<bool>{false};
        QTest::newRow("zoom") << QPointF() << 0.7 << QList<bool>{false};
        QTest::newRow("still") << QPointF() << 0.0 << QList<bool>{};
    }
    void gesturesReportAtTheEnd()
    {
        QFETCH(QPointF, pan);
        QFETCH(double, zoomStep);
        QFETCH(QList<bool>, reported);
        Camera camera;
        QSignalSpy changed(&camera, &MapCamera::regionChanged);
        QSignalSpy repaint(&camera, &MapCamera::needsRepaint);
        const double zoom = camera.viewport().zoom();
        camera.beginGesture();
        QVERIFY(camera.isInGesture() && camera.isMoving());
        camera.panBy(pan);
        if (zoomStep != 0)
            camera.zoomAround(zoom + zoomStep, QPointF(100, 100));
        QCOMPARE(changed.size(), 0);
        camera.endGesture();
        QVERIFY(!camera.isMoving());
        QCOMPARE(animatedFlags(changed), reported);
        // Drawn once more at full quality.
        QCOMPARE(repaint.size(), 1);
    }

    // Outside a gesture each pan is a change of its own; one that stops an animation first
    // reports the region the animation had reached.
    void aPanInterruptsAnAnimation()
    {
        Camera camera;
        QSignalSpy changed(&camera, &MapCamera::regionChanged);
        camera.setCenterCoordinate({36.0, 138.0}, true);
        QVERIFY(camera.isAnimating());
        camera.panBy(QPointF(10, 0));
        QVERIFY(!camera.isAnimating());
        QCOMPARE(animatedFlags(changed), (QList<bool>{true, false}));
    }

    // Clicks during an animation add up from where the last one was heading.
    void animatedZoomStepsAddUp()
    {
        Camera camera;
        const double start = camera.viewport().zoom();
        const QPointF anchor(400, 300);
        camera.zoomBy(1, anchor, true);
        camera.zoomBy(1, anchor, true);
        camera.finishAnimation();
        QVERIFY(near(camera.viewport().zoom(), start + 2, 1e-6));
        camera.zoomBy(-0.5, anchor, false);
        QVERIFY(!camera.isAnimating());
        QVERIFY(near(camera.viewport().zoom(), start + 1.5, 1e-6));
    }

    // The scene redraws its layers on viewportChanged, so it must come with every change
    // and with nothing else.
    void viewportChangedOnlyWhenTheViewChanges()
    {
        Camera camera;
        QSignalSpy viewChanged(&camera, &MapCamera::viewportChanged);
        QVERIFY(camera.setDevicePixelRatio(2.0));
        QVERIFY(!camera.setDevicePixelRatio(2.0));
        camera.setCamera(camera.viewport().center(), camera.viewport().zoom());
        camera.setViewportSize(camera.viewport().size());
        QCOMPARE(viewChanged.size(), 1);
    }
};

SHIGUREN_TEST(TestMapCamera)
#include "tst_mapcamera.moc"
