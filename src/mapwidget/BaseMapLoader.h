#pragma once

#include "mapwidget/TileImageCache.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <memory>

class GuiThreadRelay;
class QNetworkAccessManager;
class QNetworkReply;

struct BaseMapOptions {
    // Empty: the "gsi" folder in the application's cache location.
    QString cacheDirectory;
    qint64 diskCacheBytes = qint64(256) << 20;
    int maxActiveDownloads = 6;
};

// Fetches the base map's raster tiles (GSI) into the decoded-tile cache.
//
// The view says which tiles it wants, most important first (visible tiles from the centre
// outwards); at most maxActiveDownloads run at once and the rest wait in that order. A new
// wish list drops queued tiles that are no longer wanted, while downloads already running
// finish into the disk and memory caches, since the user often comes back. Bytes are
// decoded on worker threads; the dark variant of a tile is derived from its light picture
// (inverted luminance), from memory when it is there, without another download. Tiles the
// server does not have (404) are not asked for again in this session; other failures are
// retried after 30 seconds. Lives on the GUI thread.
class BaseMapLoader : public QObject {
    Q_OBJECT

public:
    enum Variant { Light = 0, Dark = 1 };
    static constexpr int kMinimumZ = 2;
    static constexpr int kMaximumZ = 18;
    // GSI's pale map from zoom 5; its standard map, which has the low zooms, below that.
    static constexpr int kPaleFromZ = 5;

    struct Counters {
        int downloadsStarted = 0;
        int downloadsFailed = 0;
        int tilesDecoded = 0;
        int darkTilesDerived = 0;
    };

    BaseMapLoader(BaseMapOptions options, TileImageCache* cache, QObject* parent = nullptr);
    ~BaseMapLoader() override;

    static QUrl tileUrl(const TileId& tile);
    static QString defaultCacheDirectory();

    void setWanted(const QList<TileImageCache::Key>& keys);

    int activeDownloads() const { return int(m_downloads.size()); }
    bool isIdle() const;
    const Counters& counters() const { return m_counters; }
    QString cacheDirectory() const { return m_cacheDirectory; }

Q_SIGNALS:
    void tileReady(const TileImageCache::Key& key);

private:
    static QNetworkAccessManager* sharedManager(const QString& directory, qint64 bytes);
    bool isBusy(const TileImageCache::Key& key) const;
    bool mayFetch(const TileId& tile) const;
    void pump();
    void startDownload(const TileImageCache::Key& key);
    void onDownloadFinished(QNetworkReply* reply, const TileId& tile);
    void startDecode(const TileId& tile, QByteArray bytes);
    void startDerivingDark(const TileId& tile, const QImage& light);
    void onDecoded(const TileId& tile, const QImage& light, const QImage& dark);

    BaseMapOptions m_options;
    QString m_cacheDirectory;
    TileImageCache* m_cache;
    QNetworkAccessManager* m_manager;
    std::shared_ptr<GuiThreadRelay> m_relay;

    QList<TileImageCache::Key> m_queue;
    QHash<TileId, QNetworkReply*> m_downloads;
    QSet<TileId> m_decoding;
    QSet<TileId> m_darkWanted; // tiles whose dark picture is wanted or being made
    QSet<TileId> m_missing;
    QHash<TileId, QDateTime> m_failedAt;
    Counters m_counters;
};
