#pragma once

#include "mapwidget/BaseMapLoader.h"
#include "mapwidget/MapLayer.h"
#include "mapwidget/MapViewport.h"
#include "mapwidget/TileImageCache.h"

#include <QColor>
#include <QList>
#include <QObject>

class QPainter;

// The base map under everything: decides which GSI tiles the view needs, keeps the ones on
// screen pinned in memory, and paints them. A tile that has not arrived yet is drawn from
// the nearest loaded ancestor (scaled up) or from its loaded children, so the map never
// flashes blank while it loads; on an appearance switch the other variant stands in until
// the new one is ready. Hidden under an overlay that covers it, it is only its background.
class BaseMapLayer : public QObject, public MapLayer {
    Q_OBJECT

public:
    BaseMapLayer(BaseMapOptions options, qint64 memoryBudget, QObject* parent = nullptr);

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    bool isHidden() const { return m_hidden; }

    void setView(const MapViewport& viewport, bool dark) override;
    // True when every visible tile is in memory, or nothing more is on its way.
    bool isComplete() const override;
    int level() const { return m_level; }
    const QList<TileId>& visibleTiles() const { return m_visible; }

    static QColor backgroundColor(bool dark);
    void paint(QPainter& painter, const MapViewport& viewport, bool moving) override;

    // Whoever changes the cache gets a fresh picture on the next paint.
    TileImageCache& cache()
    {
        m_composedValid = false;
        return m_cache;
    }
    BaseMapLoader& loader() { return *m_loader; }

Q_SIGNALS:
    void changed();

private:
    void paintTiles(QPainter& painter, const MapViewport& viewport, bool dark, bool smooth) const;
    // Draws `tile` from its own picture or a part of an ancestor's; false when none is there.
    bool paintFromAncestors(QPainter& painter, const MapViewport& viewport, const TileId& tile,
                            int variant, bool smooth) const;
    void paintFromChildren(QPainter& painter, const MapViewport& viewport, const TileId& tile,
                           int variant, bool smooth) const;

    TileImageCache m_cache;
    BaseMapLoader* m_loader;
    bool m_enabled = true;
    bool m_hidden = false;
    bool m_dark = false;
    int m_level = -1;
    QList<TileId> m_visible;
    // At fractional zooms every tile is smooth-scaled, which costs milliseconds; a still map
    // keeps the result and blits it while the layers above change (a radar frame, say).
    QImage m_composed;
    QPoint m_composedOrigin;
    double m_composedScale = 0;
    bool m_composedDark = false;
    bool m_composedValid = false;
};
