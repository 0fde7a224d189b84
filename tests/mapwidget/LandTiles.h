#pragma once

#include "geo/TileId.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPolygonF>

// A stand-in for the GSI base map in tests: tiles drawn from the sample land polygons of
// Japan in pale-map colours, served as PNG like the real thing.
class LandTiles {
public:
    static const QColor kSea;
    static const QColor kLand;

    // Reads tests/data/mapwidget/japan_land.geojson.
    LandTiles();

    bool isEmpty() const { return m_polygons.isEmpty(); }
    QImage tile(const TileId& id) const;
    QByteArray png(const TileId& id) const;
    // "/xyz/<layer>/z/x/y.png" → the tile, or an invalid id.
    static TileId parsePath(const QString& path);

private:
    QList<QPolygonF> m_polygons; // map points
    QList<QRectF> m_bounds;
};
