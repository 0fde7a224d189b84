#include "LandTiles.h"

#include "TestData.h"
#include "mapwidget/MapProjection.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>

const QColor LandTiles::kSea(190, 212, 236);
const QColor LandTiles::kLand(246, 244, 238);

LandTiles::LandTiles()
{
    const QJsonDocument document =
        QJsonDocument::fromJson(TestData::read(QStringLiteral("mapwidget/japan_land.geojson")));
    for (const QJsonValue feature : document.object().value(QLatin1String("features")).toArray()) {
        const QJsonObject geometry = feature.toObject().value(QLatin1String("geometry")).toObject();
        for (const QJsonValue polygon : geometry.value(QLatin1String("coordinates")).toArray()) {
            // The outer ring of each polygon is enough at the scales tests look at.
            const QJsonArray ring = polygon.toArray().first().toArray();
            QPolygonF points;
            for (const QJsonValue position : ring) {
                const QJsonArray pair = position.toArray();
                const MapPoint p =
                    MapProjection::toMapPoint({pair.at(1).toDouble(), pair.at(0).toDouble()});
                points.append(QPointF(p.x, p.y));
            }
            m_bounds.append(points.boundingRect());
            m_polygons.append(points);
        }
    }
}

QImage LandTiles::tile(const TileId& id) const
{
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(kSea);
    const MapRect rect = id.mapRect();
    const double scale = 256.0 / rect.width;
    const QRectF area(rect.x, rect.y, rect.width, rect.height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(scale, scale);
    painter.translate(-rect.x, -rect.y);
    painter.setPen(QPen(QColor(150, 160, 170), 1.0 / scale));
    painter.setBrush(kLand);
    for (qsizetype i = 0; i < m_polygons.size(); ++i) {
        if (m_bounds[i].intersects(area))
            painter.drawPolygon(m_polygons[i]);
    }
    return image;
}

QByteArray LandTiles::png(const TileId& id) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    tile(id).save(&buffer, "PNG");
    return bytes;
}

TileId LandTiles::parsePath(const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.size() != 5 || parts[0] != QLatin1String("xyz") ||
        !parts[4].endsWith(QLatin1String(".png")))
        return {-1, 0, 0};
    QString y = parts[4];
    y.chop(4);
    return {parts[2].toInt(), parts[3].toInt(), y.toInt()};
}
