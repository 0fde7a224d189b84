#pragma once

#include "geo/TilePath.h"
#include "platform/HttpSession.h"
#include "platform/async/Task.h"
#include "radar/RadarFrame.h"

#include <QByteArray>
#include <QCache>
#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QMutex>
#include <QObject>

#include <optional>

class QNetworkDiskCache;

// The agency's own tiles (even zooms up to 10) as bytes. It keeps responses in memory and
// on disk (cache first: a tile once fetched is never fetched again while cached), learns
// which member segment serves each product and base time, retries, replaces its session
// when tiles keep failing, and does not keep empty tiles of a frame the agency may still be
// filling in.
//
// Its operations are coroutines on the GUI thread. `m_lock` guards what the map's threads
// also read.
class AgencyTileSource : public QObject {
    Q_OBJECT

public:
    // An empty `cacheDirectory` means <cache location>/jmatile.
    AgencyTileSource(QString cacheDirectory, qint64 diskCacheBytes, qint64 memoryCacheBytes,
                     QObject* parent = nullptr);
    ~AgencyTileSource() override;

    // Cache first; 20 s between bytes, 60 s per transfer; pipelining.
    HttpSessionConfig sessionConfig();

    async::Task<std::optional<QByteArray>> tileData(RadarFrame frame, TileId tile);
    // The tile when it is at hand in memory (no waiting); GUI thread.
    std::optional<QByteArray> tileInMemory(const RadarFrame& frame, const TileId& tile);
    // Whether everything the map draws for `tile` of `frame` (at any zoom: the tile itself,
    // the four it is composed of, or the zoom-10 tile it is cut from) is at hand in memory or
    // on disk, without asking the network; GUI thread.
    bool holdsTile(const RadarFrame& frame, const TileId& tile) const;
    // Warms the caches: every tile of every frame, six downloads at a time.
    async::Task<void> prefetch(RadarFrames frames, QList<TilePath> tiles);
    // Replaces the session; unless forced, at most once every 30 s.
    void resetSession(bool force);

    // Whether the agency may still be filling in the frame, so that an empty tile of it is
    // no answer to keep.
    static bool mayStillFill(const RadarFrame& frame);

    int consecutiveFailures() const;
    QDateTime lastSessionResetAt() const;
    std::optional<QString> resolvedMember(const RadarFrame& frame) const;
    int memoryCacheCount() const { return int(m_memory.count()); }

    // The level colours of the thunder or tornado nowcast, as the palette of the first such
    // tile with a palette served in this run has them; empty until one came. GUI thread.
    QList<QColor> levelColours(RadarProduct product) const { return m_levelColours.value(product); }

Q_SIGNALS:
    // levelColours() of some product changed.
    void levelColoursChanged();

private:
    async::Task<std::optional<QByteArray>> attempt(QStringList members, RadarFrame frame,
                                                   TileId tile, int retryCount, double retryDelay);
    void rememberMember(const RadarFrame& frame, const QString& member);
    void keepUnlessStillFilling(const QUrl& url, const RadarFrame& frame, const QByteArray& bytes);
    void forget(const QUrl& url);
    bool holdsAgencyTile(const RadarFrame& frame, const TileId& tile) const;
    void learnLevelColours(const RadarFrame& frame, const QByteArray& bytes);
    void noteSuccess();
    void countFailure();

    QNetworkDiskCache* m_diskCache;
    bool m_diskWritable = true; // read once at start: a cache that cannot be written is only read
    // Response bytes by address, cost in bytes: the warm path never touches disk or network.
    QCache<QString, QByteArray> m_memory;

    mutable QMutex m_lock;
    HttpSession* m_session; // replaced as a whole through HttpSession::reset()
    QHash<QString, QString> m_resolvedMembers;
    int m_consecutiveFailures = 0;
    QDateTime m_lastSessionResetAt; // invalid: never
    QMap<RadarProduct, QList<QColor>> m_levelColours;
};
