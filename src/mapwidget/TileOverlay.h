#pragma once

#include "geo/TilePath.h"
#include "mapwidget/MapOverlay.h"

#include <QByteArray>
#include <QImage>

#include <functional>

// What an overlay hands the map for one tile. A decoded image saves the map a decode (and
// the overlay an encode) when the overlay made the picture itself; otherwise the encoded
// bytes (PNG) are decoded by the map off the GUI thread. `transparent` says the tile is
// known to show nothing, so the map may skip it.
struct TileResult {
    enum class Error { None, NotFound, Cancelled };

    QByteArray encoded;
    QImage image;
    bool transparent = false;
    Error error = Error::None;

    bool ok() const { return error == Error::None; }

    static TileResult fromEncoded(QByteArray bytes, bool transparent = false)
    {
        TileResult result;
        result.encoded = std::move(bytes);
        result.transparent = transparent;
        return result;
    }
    static TileResult fromImage(QImage image)
    {
        TileResult result;
        result.image = std::move(image);
        return result;
    }
    static TileResult failure(Error error)
    {
        TileResult result;
        result.error = error;
        return result;
    }
};

// An overlay whose content comes as map tiles. The map calls loadTile() for every tile it
// wants, on any thread and for many tiles at once; the overlay calls `result` exactly once
// per request, from any thread, possibly after the map stopped wanting the tile.
class TileOverlay : public MapOverlay {
public:
    using ResultCallback = std::function<void(TileResult)>;

    virtual void loadTile(const TilePath& path, ResultCallback result) = 0;

    // The map asks for no tile outside this range; the nearest level is used (and scaled)
    // when the view's zoom lies outside it.
    virtual int minimumZ() const = 0;
    virtual int maximumZ() const = 0;
    virtual int tileSize() const { return 256; }
    // Whether the overlay hides the base map entirely.
    virtual bool canReplaceMapContent() const { return false; }
};
