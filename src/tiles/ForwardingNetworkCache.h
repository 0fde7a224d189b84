#pragma once

#include <QAbstractNetworkCache>
#include <QPointer>

// A network manager owns its cache, but the tile cache must outlive every manager the
// loader replaces on a session reset. Each manager gets one of these, passing everything
// through to the one long-lived disk cache. Without `writable` it only reads: a cache folder
// that cannot be written would otherwise fail (and warn) at every download.
class ForwardingNetworkCache : public QAbstractNetworkCache {
    Q_OBJECT
public:
    explicit ForwardingNetworkCache(QAbstractNetworkCache* target, bool writable = true);

    QNetworkCacheMetaData metaData(const QUrl& url) override;
    void updateMetaData(const QNetworkCacheMetaData& metaData) override;
    QIODevice* data(const QUrl& url) override;
    bool remove(const QUrl& url) override;
    qint64 cacheSize() const override;
    QIODevice* prepare(const QNetworkCacheMetaData& metaData) override;
    void insert(QIODevice* device) override;

public Q_SLOTS:
    void clear() override;

private:
    QPointer<QAbstractNetworkCache> m_target;
    bool m_writable;
};
