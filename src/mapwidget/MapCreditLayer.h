#pragma once

#include "mapwidget/MapLayer.h"

#include <QImage>
#include <QString>

class BaseMapLayer;

// The base map's credit in the bottom-left corner, over everything else, as long as the
// base map is drawn.
class MapCreditLayer : public MapLayer {
public:
    explicit MapCreditLayer(const BaseMapLayer& baseMap);

    static QString text();

    void setView(const MapViewport& viewport, bool dark) override;
    void paint(QPainter& painter, const MapViewport& viewport, bool moving) override;

private:
    const BaseMapLayer& m_baseMap;
    bool m_dark = false;
    qreal m_devicePixelRatio = 0;
    QImage m_image; // made on first use for the appearance and ratio
};
