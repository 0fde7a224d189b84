#pragma once

#include "geo/TileId.h"
#include "mapwidget/MapLayer.h"
#include "mapwidget/MapViewport.h"
#include "mapwidget/TileOverlay.h"

#include <QHash>
#include <QImage>
#include <QList>

#include <functional>
#include <memory>

class DecodedTileCache;
class GuiThreadRelay;
class QPainter;

// The map's side of one tile overlay: which tiles it asked for, which pictures it holds,
// and drawing them.
//
// Every visible tile at the overlay's level for the view is asked for once, nearest the
// centre first. A tile that leaves the view is no longer wanted: its answer, which the
// overlay still sends, is dropped. reloadData() starts a new generation and asks again for
// every visible tile; the pictures of the old generation stay on screen until their
// replacements come, and answers to superseded requests are dropped, so a new radar frame
// replaces the old one tile by tile and never blanks the map. A missing picture is drawn
// from a loaded ancestor or from loaded children. Bytes are decoded on worker threads.
// Lives on the GUI thread; answers come back through the relay.
class TileOverlayLayer : public MapLayer, public std::enable_shared_from_this<TileOverlayLayer> {
public:
    struct Counters {
        int requests = 0;  // loadTile() calls
        int abandoned = 0; // requests whose tile left the view or was asked for again
        int delivered = 0; // answers taken
        int dropped = 0;   // answers that came for requests no longer wanted
        int failed = 0;
    };

    TileOverlayLayer(std::shared_ptr<TileOverlay> overlay, std::shared_ptr<GuiThreadRelay> relay,
                     std::function<void()> changed);

    const std::shared_ptr<TileOverlay>& overlay() const { return m_overlay; }

    // The level the overlay's tiles are wanted at for this view.
    int levelFor(const MapViewport& viewport) const;
    void setView(const MapViewport& viewport, bool dark) override;
    void reload();
    // The same, except that a tile showing nothing keeps its picture where `showsNothing`
    // says the new content shows nothing there either: an overlay that is mostly empty (a
    // storm's) then asks again only for the tiles that may have changed.
    void reload(const std::function<bool(const TileId&)>& showsNothing);

    // The scene sets the renderer's alpha on the painter.
    void paint(QPainter& painter, const MapViewport& viewport, bool moving) override;
    bool hidesBaseMap() const override { return m_overlay->canReplaceMapContent(); }

    int level() const { return m_level; }
    const QList<TileId>& visibleTiles() const { return m_visible; }
    int pendingCount() const;
    // Every visible tile has a picture of the current generation, or failed.
    bool isComplete() const override;
    bool hasImage(const TileId& tile) const;
    const Counters& counters() const { return m_counters; }
    // Answers whose bytes had been decoded before, so no decode ran.
    int decodeReuses() const;

private:
    struct Tile {
        QImage image;
        bool hasPicture = false;
        bool transparent = false;
        int pictureGeneration = -1;
        quint64 pendingRequest = 0; // 0: nothing asked for
        int pendingGeneration = -1;
        int failedGeneration = -1;
        quint64 lastWanted = 0;
    };

    void request(const TileId& tile, Tile& entry);
    void requestMissing();
    void deliver(const TileId& tile, quint64 requestId, TileResult::Error error, QImage image,
                 bool transparent);
    void prune();
    bool paintFromOtherLevels(QPainter& painter, const MapViewport& viewport, const TileId& tile,
                              bool smooth) const;

    std::shared_ptr<TileOverlay> m_overlay;
    std::shared_ptr<GuiThreadRelay> m_relay;
    std::shared_ptr<DecodedTileCache> m_decoded;
    std::function<void()> m_changed;
    QHash<TileId, Tile> m_tiles;
    QList<TileId> m_visible;
    MapViewport m_view;
    int m_level = -1;
    double m_contentScale = 1.0;
    int m_generation = 0;
    quint64 m_nextRequest = 1;
    quint64 m_viewStamp = 0;
    Counters m_counters;
};
