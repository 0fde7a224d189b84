#include "SceneTestValues.h"
#include "TestRegistry.h"
#include "mapwidget/AnnotationLayout.h"
#include "mapwidget/ImageAnnotationView.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapDelegate.h"
#include "mapwidget/MapScene.h"
#include "mapwidget/MarkerAnnotationView.h"
#include "mapwidget/TextAnnotationView.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

using Item = AnnotationLayout::Item;
using Annotation = std::shared_ptr<MapAnnotation>;

// Labels for annotations titled "label", markers for the rest; views reused by identifier.
class Delegate : public MapDelegate {
public:
    std::shared_ptr<MapAnnotationView> viewFor(MapScene& map, const Annotation& annotation) override
    {
        if (annotation->title() == QLatin1String("label")) {
            auto view = std::dynamic_pointer_cast<TextAnnotationView>(
                map.dequeueReusableView(QStringLiteral("Label")));
            if (!view) {
                view = std::make_shared<TextAnnotationView>(QStringLiteral("Label"));
                ++made;
            }
            view->setDisplayPriority(MapAnnotationView::kPriorityDefaultLow);
            view->setText(annotation->subtitle());
            return view;
        }
        auto view = std::make_shared<MarkerAnnotationView>(QStringLiteral("Marker"));
        view->setDisplayPriority(MapAnnotationView::kPriorityRequired);
        return view;
    }
    int made = 0;
};

} // namespace

Q_DECLARE_METATYPE(QList<AnnotationLayout::Item>)

class TestMapAnnotations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void collisionsByPriority_data()
    {
        QTest::addColumn<QList<Item>>("items");
        QTest::addColumn<QList<bool>>("shown");
        const QRectF a(0, 0, 40, 20);
        const QRectF overlapping(30, 10, 40, 20);
        const QRectF apart(100, 0, 40, 20);
        QTest::newRow("lower priority hidden, whatever the order")
            << QList<Item>{{a, 250}, {overlapping, 1000}} << QList<bool>{false, true};
        QTest::newRow("equal priorities: first added wins")
            << QList<Item>{{a, 250}, {overlapping, 250}} << QList<bool>{true, false};
        QTest::newRow("required never hidden")
            << QList<Item>{{a, 1000}, {overlapping, 1000}} << QList<bool>{true, true};
        QTest::newRow("selected beats higher")
            << QList<Item>{{a, 750}, {overlapping, 250, true, true}} << QList<bool>{false, true};
        QTest::newRow("no collision mode")
            << QList<Item>{{a, 1000}, {overlapping, 250, false}} << QList<bool>{true, true};
        QTest::newRow("apart") << QList<Item>{{a, 250}, {apart, 250}} << QList<bool>{true, true};
        QTest::newRow("hidden view hides nothing") << QList<Item>{{QRectF(0, 0, 40, 20), 1000},
                                                                  {QRectF(35, 0, 40, 20), 500},
                                                                  {QRectF(72, 0, 40, 20), 250}}
                                                   << QList<bool>{true, false, true};
    }
    void collisionsByPriority()
    {
        QFETCH(QList<Item>, items);
        QFETCH(QList<bool>, shown);
        QCOMPARE(AnnotationLayout::resolve(items), shown);
    }

    // Two labels that overlap at a small scale both show once the map zooms in.
    void collisionsAreReconsideredOnZoom()
    {
        Scene scene(QSizeF(600, 400), 20);
        Delegate delegate;
        scene.setDelegate(&delegate);
        auto first = std::make_shared<MapAnnotation>(
            GeoCoordinate{35.0, 137.0}, QStringLiteral("label"), QStringLiteral("東京都"));
        auto second = std::make_shared<MapAnnotation>(
            GeoCoordinate{35.05, 137.1}, QStringLiteral("label"), QStringLiteral("神奈川県"));
        auto marker = std::make_shared<MapAnnotation>(GeoCoordinate{35.0, 137.25});
        scene.addAnnotations({first, second});
        QVERIFY(scene.isShown(first.get()));
        QVERIFY(!scene.isShown(second.get()));

        scene.addAnnotation(marker); // required, so it hides the low labels under it
        QVERIFY(scene.isShown(marker.get()));
        QVERIFY(!scene.isShown(first.get()));

        scene.setRegion({{35.0, 137.0}, 0.5, 0.5});
        QVERIFY(scene.isShown(first.get()));
        QVERIFY(scene.isShown(second.get()));
        QVERIFY(scene.isShown(marker.get()));
    }

    void viewsAreReusedByIdentifier()
    {
        Scene scene(QSizeF(600, 400));
        Delegate delegate;
        scene.setDelegate(&delegate);
        auto old = std::make_shared<MapAnnotation>(GeoCoordinate{35, 137}, QStringLiteral("label"),
                                                   QStringLiteral("岐阜県"));
        scene.addAnnotation(old);
        const auto view = scene.view(old.get());
        scene.removeAnnotation(old);
        auto fresh = std::make_shared<MapAnnotation>(
            GeoCoordinate{36, 138}, QStringLiteral("label"), QStringLiteral("長野県"));
        scene.addAnnotation(fresh);
        QCOMPARE(scene.view(fresh.get()), view);
        QCOMPARE(view->annotation(), fresh);
        QCOMPARE(std::dynamic_pointer_cast<TextAnnotationView>(view)->text(),
                 QStringLiteral("長野県"));
        QCOMPARE(delegate.made, 1);
        QCOMPARE(scene.annotations(), QList<Annotation>{fresh});
    }

    void selectionAndHitTest()
    {
        Scene scene(QSizeF(600, 400), 2);
        auto a = std::make_shared<MapAnnotation>(
            GeoCoordinate{35, 137}, QStringLiteral("台風第10号"), QStringLiteral("強い"));
        auto b = std::make_shared<MapAnnotation>(GeoCoordinate{35.3, 137.5});
        scene.addAnnotations({a, b});
        QSignalSpy selected(&scene, &MapScene::annotationSelected);
        QSignalSpy deselected(&scene, &MapScene::annotationDeselected);

        // A default marker's tip is on the coordinate; its head is above it.
        const QPointF tip = scene.pointForCoordinate(a->coordinate());
        QCOMPARE(scene.annotationAt(tip - QPointF(0, 20)), a);
        QCOMPARE(scene.annotationAt(tip + QPointF(0, 20)), Annotation());

        const QSizeF small = scene.view(a.get())->size();
        scene.selectAnnotation(a);
        scene.selectAnnotation(a);
        QCOMPARE(selected.size(), 1);
        QVERIFY(scene.view(a.get())->isSelected());
        QVERIFY(scene.view(a.get())->size().width() > small.width());
        scene.selectAnnotation(b);
        QCOMPARE(deselected.size(), 1);
        scene.removeAnnotation(b);
        QCOMPARE(scene.selectedAnnotation(), Annotation());
        QCOMPARE(deselected.size(), 2);
    }

    // Views are blitted on whole device pixels from their cached picture.
    void imageViewsLandOnTheirCoordinate()
    {
        class ImageDelegate : public MapDelegate {
        public:
            std::shared_ptr<MapAnnotationView> viewFor(MapScene&, const Annotation&) override
            {
                QImage picture(20, 20, QImage::Format_ARGB32_Premultiplied);
                picture.fill(Qt::magenta);
                picture.setDevicePixelRatio(2);
                auto view = std::make_shared<ImageAnnotationView>(QStringLiteral("Image"));
                view->setImage(picture);
                return view;
            }
        } delegate;
        Scene scene(QSizeF(300, 200), 2);
        scene.setDelegate(&delegate);
        scene.setDevicePixelRatio(2);
        auto a = std::make_shared<MapAnnotation>(GeoCoordinate{35, 137});
        scene.addAnnotation(a);
        QCOMPARE(scene.view(a.get())->size(), QSizeF(10, 10));
        const QImage image = scene.render();
        const QPoint at = (scene.pointForCoordinate(a->coordinate()) * 2).toPoint();
        int magenta = 0;
        for (int y = at.y() - 12; y <= at.y() + 12; ++y)
            for (int x = at.x() - 12; x <= at.x() + 12; ++x)
                magenta += image.pixelColor(x, y) == QColor(Qt::magenta);
        QCOMPARE(magenta, 20 * 20);
        QCOMPARE(image.pixelColor(at), QColor(Qt::magenta));
    }
};

SHIGUREN_TEST(TestMapAnnotations)
#include "tst_mapannotations.moc"
