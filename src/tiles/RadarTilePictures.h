#pragma once

#include "geo/TilePath.h"
#include "platform/RecencyCache.h"
#include "platform/async/Task.h"
#include "radar/RadarFrame.h"
#include "tiles/DecodedAncestors.h"
#include "tiles/FrameTileKey.h"
#include "tiles/TileImages.h"

#include <memory>
#include <optional>

class AgencyTileSource;

// The picture to draw for any tile of a frame at any zoom, made from the agency's tiles,
// which it asks the source for: even zooms the agency serves are its own bytes, odd zooms are
// composed from four tiles of the next level, zooms deeper than the product's deepest served
// one (TileAddress::deepestZoom) are cut out of that tile and enlarged. Pictures it had to make are
// as large as the tile on a screen of the path's scale, and kept by frame and tile so that an
// animation coming back to a frame does no image work.
//
// GUI thread only; image work runs on the thread pool.
class RadarTilePictures {
public:
    // `source` must outlive the pictures and their tasks.
    RadarTilePictures(AgencyTileSource& source, qint64 cacheBytes);

    async::Task<std::optional<TileImages::DisplayTile>> displayTile(RadarFrame frame,
                                                                    TilePath path);
    // The same picture when it is at hand in memory (no waiting, no image work).
    std::optional<TileImages::DisplayTile> displayTileInMemory(const RadarFrame& frame,
                                                               const TilePath& path);

    int cacheCount() const { return m_made.count(); }

private:
    async::Task<std::optional<TileImages::DisplayTile>> composedTile(RadarFrame frame, TileId tile,
                                                                     int side);
    async::Task<std::optional<TileImages::DisplayTile>> croppedTile(RadarFrame frame, TileId tile,
                                                                    int side);
    std::optional<TileImages::DisplayTile> emptySourceInMemory(const RadarFrame& frame,
                                                               const TileId& tile);
    void keep(const FrameTileKey& key, const RadarFrame& frame,
              const std::optional<TileImages::DisplayTile>& tile, bool hasEmptySource);

    AgencyTileSource& m_source;
    RecencyCache<FrameTileKey, TileImages::DisplayTile> m_made;
    // Shared with the pool tasks that cut squares out of the deepest tiles.
    std::shared_ptr<DecodedAncestors> m_ancestors;
};
