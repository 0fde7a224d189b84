#include "PrefectureSample.h"

#include "TestData.h"
#include "mapwidget/MapScene.h"
#include "mapwidget/TextAnnotationView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace PrefectureSample {

namespace {

QList<QList<GeoCoordinate>> linesOf(const QJsonObject& geometry)
{
    QJsonArray parts = geometry.value(QLatin1String("coordinates")).toArray();
    if (geometry.value(QLatin1String("type")).toString() == QLatin1String("LineString"))
        parts = QJsonArray{parts};
    QList<QList<GeoCoordinate>> lines;
    for (const QJsonValue part : parts) {
        QList<GeoCoordinate> line;
        for (const QJsonValue p : part.toArray())
            line.append({p.toArray().at(1).toDouble(), p.toArray().at(0).toDouble()});
        lines.append(line);
    }
    return lines;
}

} // namespace

QList<std::shared_ptr<MapOverlay>> borders()
{
    const QJsonArray features =
        QJsonDocument::fromJson(
            TestData::read(QStringLiteral("mapwidget/PrefectureBorderLines.geojson")))
            .object()
            .value(QLatin1String("features"))
            .toArray();
    QList<std::shared_ptr<MapOverlay>> result;
    for (bool casing : {true, false}) {
        for (const QJsonValue feature : features)
            result.append(std::make_shared<Border>(
                linesOf(feature.toObject().value(QLatin1String("geometry")).toObject()), casing));
    }
    return result;
}

QList<std::shared_ptr<MapAnnotation>> labels()
{
    QList<std::shared_ptr<MapAnnotation>> result;
    for (const QJsonValue label :
         QJsonDocument::fromJson(TestData::read(QStringLiteral("mapwidget/PrefectureLabels.json")))
             .array()) {
        const QJsonObject o = label.toObject();
        result.append(
            std::make_shared<MapAnnotation>(GeoCoordinate{o.value(QLatin1String("lat")).toDouble(),
                                                          o.value(QLatin1String("lon")).toDouble()},
                                            o.value(QLatin1String("name")).toString()));
    }
    return result;
}

void styleBorder(ShapeRenderer& renderer, const Border& border, bool dark)
{
    const QColor core = dark ? QColor::fromRgbF(1.0f, 0.78f, 0.78f) : QColor::fromRgbF(0.35f, 0, 0);
    const QColor casing = dark ? QColor(0, 0, 0, 191) : QColor(255, 255, 255, 230);
    renderer.setStrokeColor(border.isCasing ? casing : core);
    renderer.setLineWidth(border.isCasing ? 3.2 : 1.4);
    renderer.setLineDashPattern({3, 3});
}

std::shared_ptr<MapAnnotationView> labelView(MapScene& map, const MapAnnotation& annotation,
                                             bool dark)
{
    const QString identifier = QStringLiteral("PrefectureLabel");
    auto view = std::dynamic_pointer_cast<TextAnnotationView>(map.dequeueReusableView(identifier));
    if (!view)
        view = std::make_shared<TextAnnotationView>(identifier);
    QFont font;
    font.setPixelSize(11);
    font.setWeight(QFont::DemiBold);
    view->setFont(font);
    view->setTextColor(dark ? QColor(235, 235, 235) : QColor(20, 20, 20));
    view->setHalo(dark ? QColor(0, 0, 0, 217) : QColor(255, 255, 255, 217), 3);
    view->setDisplayPriority(MapAnnotationView::kPriorityDefaultLow);
    view->setText(annotation.title());
    return view;
}

} // namespace PrefectureSample
