#pragma once

#include "geo/TilePath.h"
#include "platform/HttpSession.h"
#include "platform/RecencyCache.h"
#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"
#include "radar/RadarFrame.h"
#include "tiles/DecodedAncestors.h"
#include "tiles/FrameTileKey.h"
#include "tiles/TileImages.h"

#include <QCache>
#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QObject>

#include <memory>
#include <optional>

class QNetworkDiskCache;

struct RadarTileLoaderOptions {
    QString cacheDirectory; // the disk cache; empty: <cache location>/jmatile
    qint64 diskCacheBytes = qint64(512) * 1024 * 1024;
    qint64 memoryCacheBytes = qint64(256) * 1024 * 1024;
    // Composed (odd zoom) and cut-out (above zoom 10) pictures, so a loop that comes back to a
    // frame does no image work again.
    qint64 derivedCacheBytes = qint64(160) * 1024 * 1024;
};

// The one place that downloads radar tiles. It keeps responses in memory and on disk
// (cache first: a tile once fetched is never fetched again while cached), learns which
// member segment serves each product and base time, retries, replaces its session when
// tiles keep failing, and derives the zooms the agency does not serve: odd zooms from four
// tiles of the next level, zooms above 10 cut out of the zoom-10 tile.
//
// Its operations are coroutines on the GUI thread; image work runs on the thread pool.
// `m_lock` guards the state the design shares with other threads.
class RadarTileLoader : public QObject {
    Q_OBJECT

public:
    using Options = RadarTileLoaderOptions;

    static RadarTileLoader& shared();

    explicit RadarTileLoader(Options options = {}, QObject* parent = nullptr);
    ~RadarTileLoader() override;

    // Cache first; 20 s between bytes, 60 s per transfer; pipelining.
    HttpSessionConfig sessionConfig();

    // The tile to draw at any zoom; pictures made for odd zooms and zooms above 10 are as
    // large as the tile on a screen of `contentScale` device pixels per point.
    async::Task<std::optional<TileImages::DisplayTile>> displayTileData(RadarFrame frame,
                                                                        TilePath path);
    // The same tile when it is at hand in memory (no waiting, no image work); GUI thread.
    std::optional<TileImages::DisplayTile> displayTileInMemory(const RadarFrame& frame,
                                                               const TilePath& path);
    // One agency tile at an agency zoom (even, ≤ 10).
    async::Task<std::optional<QByteArray>> tileData(RadarFrame frame, TileId tile);
    // Warms the caches: every tile of every frame, six downloads at a time.
    async::Task<void> prefetch(RadarFrames frames, QList<TilePath> tiles);
    // Replaces the session; unless forced, at most once every 30 s.
    void resetSession(bool force);

    // Where work that outlives a single caller runs (tile requests of overlays, notices).
    async::TaskScope& tasks() { return m_tasks; }

    int consecutiveFailures() const;
    QDateTime lastSessionResetAt() const;
    std::optional<QString> resolvedMember(const RadarFrame& frame) const;
    int memoryCacheCount() const { return int(m_memory.count()); }
    int derivedCacheCount() const { return m_derived.count(); }

private:
    async::Task<std::optional<TileImages::DisplayTile>> composedTile(RadarFrame frame, TileId tile,
                                                                     int side);
    async::Task<std::optional<TileImages::DisplayTile>> croppedTile(RadarFrame frame, TileId tile,
                                                                    int side);
    const TileImages::DisplayTile* findDerived(const FrameTileKey& key);
    void keepDerived(const FrameTileKey& key, const RadarFrame& frame,
                     const std::optional<TileImages::DisplayTile>& tile, bool hasEmptySource);
    async::Task<std::optional<QByteArray>> attempt(QStringList members, RadarFrame frame,
                                                   TileId tile, int retryCount, double retryDelay);
    void rememberMember(const RadarFrame& frame, const QString& member);
    void discardCachedEmptyTileIfFresh(const QUrl& url, const RadarFrame& frame,
                                       const QByteArray& bytes);
    void forget(const QUrl& url);
    void countFailure();

    Options m_options;
    QNetworkDiskCache* m_diskCache;
    // Response bytes by address, cost in bytes: the warm path never touches disk or network.
    QCache<QString, QByteArray> m_memory;
    // Pictures made from agency tiles, by frame and tile; GUI thread only.
    RecencyCache<FrameTileKey, TileImages::DisplayTile> m_derived;
    // Shared with the pool tasks that cut squares out of zoom-10 tiles.
    std::shared_ptr<DecodedAncestors> m_ancestors;

    mutable QMutex m_lock;
    HttpSession* m_session; // replaced as a whole through HttpSession::reset()
    QHash<QString, QString> m_resolvedMembers;
    int m_consecutiveFailures = 0;
    QDateTime m_lastSessionResetAt; // invalid: never

    async::TaskScope m_tasks; // last: destroyed first
};
