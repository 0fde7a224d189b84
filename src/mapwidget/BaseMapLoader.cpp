#include "mapwidget/BaseMapLoader.h"

#include "mapwidget/GuiThreadRelay.h"
#include "mapwidget/TileDecoder.h"
#include "platform/AppInfo.h"
#include "platform/Clock.h"
#include "platform/DataHosts.h"
#include "platform/Logging.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStandardPaths>
#include <QThreadPool>

namespace {

constexpr double kRetryAfterSeconds = 30.0;
constexpr int kTransferTimeoutMs = 20000;
// Forgetting which tiles are missing now and then keeps the set small on long sessions.
constexpr qsizetype kMaxRememberedMissing = 20000;

} // namespace

BaseMapLoader::BaseMapLoader(BaseMapOptions options, TileImageCache* cache, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_cacheDirectory(m_options.cacheDirectory.isEmpty() ? defaultCacheDirectory()
                                                          : m_options.cacheDirectory)
    , m_cache(cache)
    , m_manager(sharedManager(m_cacheDirectory, m_options.diskCacheBytes))
    , m_relay(GuiThreadRelay::create(this))
{}

QNetworkAccessManager* BaseMapLoader::sharedManager(const QString& directory, qint64 bytes)
{
    // Two maps must not run two disk caches over one folder (each would evict the other's
    // files), so every loader of a folder shares one manager. It lives with the application.
    static QHash<QString, QPointer<QNetworkAccessManager>> managers;
    QPointer<QNetworkAccessManager>& manager = managers[directory];
    if (!manager) {
        manager = new QNetworkAccessManager(QCoreApplication::instance());
        auto* diskCache = new QNetworkDiskCache(manager);
        diskCache->setCacheDirectory(directory);
        diskCache->setMaximumCacheSize(bytes);
        manager->setCache(diskCache);
    }
    return manager;
}

BaseMapLoader::~BaseMapLoader()
{
    m_relay->detach();
    const auto downloads = m_downloads;
    m_downloads.clear();
    for (QNetworkReply* reply : downloads) {
        reply->disconnect(this);
        if (!reply->isFinished())
            reply->abort();
        reply->deleteLater();
    }
}

QString BaseMapLoader::defaultCacheDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/gsi");
}

QUrl BaseMapLoader::tileUrl(const TileId& tile)
{
    const QString layer = tile.z >= kPaleFromZ ? QStringLiteral("pale") : QStringLiteral("std");
    return DataHosts::join(
        DataHosts::current().baseMap,
        QStringLiteral("/xyz/%1/%2/%3/%4.png").arg(layer).arg(tile.z).arg(tile.x).arg(tile.y));
}

bool BaseMapLoader::isIdle() const
{
    return m_downloads.isEmpty() && m_queue.isEmpty() && m_decoding.isEmpty();
}

bool BaseMapLoader::isBusy(const TileImageCache::Key& key) const
{
    return m_downloads.contains(key.tile) || m_decoding.contains(key.tile);
}

bool BaseMapLoader::mayFetch(const TileId& tile) const
{
    if (m_missing.contains(tile))
        return false;
    const auto failed = m_failedAt.constFind(tile);
    return failed == m_failedAt.constEnd() ||
           secondsBetween(*failed, Clock::current().now()) >= kRetryAfterSeconds;
}

void BaseMapLoader::setWanted(const QList<TileImageCache::Key>& keys)
{
    m_queue.clear();
    m_darkWanted.clear();
    for (const TileImageCache::Key& key : keys) {
        if (!key.tile.isValid() || m_cache->contains(key))
            continue;
        if (key.variant == Dark)
            m_darkWanted.insert(key.tile);
        if (isBusy(key))
            continue;
        if (key.variant == Dark) {
            if (const QImage* light = m_cache->peek({key.tile, Light})) {
                startDerivingDark(key.tile, *light);
                continue;
            }
        }
        if (mayFetch(key.tile))
            m_queue.append(key);
    }
    pump();
}

void BaseMapLoader::pump()
{
    while (m_downloads.size() < m_options.maxActiveDownloads && !m_queue.isEmpty()) {
        const TileImageCache::Key key = m_queue.takeFirst();
        if (!isBusy(key) && !m_cache->contains(key))
            startDownload(key);
    }
}

void BaseMapLoader::startDownload(const TileImageCache::Key& key)
{
    QNetworkRequest request(tileUrl(key.tile));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("%1/%2").arg(AppInfo::applicationName(), AppInfo::version()));
    QNetworkReply* reply = m_manager->get(request);
    const TileId tile = key.tile;
    m_downloads.insert(tile, reply);
    ++m_counters.downloadsStarted;
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, tile] { onDownloadFinished(reply, tile); });
}

void BaseMapLoader::onDownloadFinished(QNetworkReply* reply, const TileId& tile)
{
    reply->deleteLater();
    m_downloads.remove(tile);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
        m_failedAt.remove(tile);
        startDecode(tile, reply->readAll());
    } else {
        ++m_counters.downloadsFailed;
        if (status == 404 || status == 410) {
            if (m_missing.size() >= kMaxRememberedMissing)
                m_missing.clear();
            m_missing.insert(tile);
        } else {
            m_failedAt.insert(tile, Clock::current().now());
        }
        qCDebug(lcApp, "地図タイル取得失敗 z=%d x=%d y=%d status=%d", tile.z, tile.x, tile.y,
                status);
    }
    pump();
}

void BaseMapLoader::startDecode(const TileId& tile, QByteArray bytes)
{
    m_decoding.insert(tile);
    const bool dark = m_darkWanted.contains(tile);
    QThreadPool::globalInstance()->start([relay = m_relay, tile, bytes = std::move(bytes), dark,
                                          self = this] {
        const QImage light = TileDecoder::decode(bytes);
        const QImage darkImage = dark ? TileDecoder::invertedLuminance(light) : QImage();
        relay->post([self, tile, light, darkImage] { self->onDecoded(tile, light, darkImage); });
    });
}

void BaseMapLoader::startDerivingDark(const TileId& tile, const QImage& light)
{
    m_decoding.insert(tile);
    QThreadPool::globalInstance()->start([relay = m_relay, tile, light, self = this] {
        const QImage dark = TileDecoder::invertedLuminance(light);
        relay->post([self, tile, dark] {
            ++self->m_counters.darkTilesDerived;
            self->onDecoded(tile, QImage(), dark);
        });
    });
}

void BaseMapLoader::onDecoded(const TileId& tile, const QImage& light, const QImage& dark)
{
    m_decoding.remove(tile);
    if (!light.isNull()) {
        ++m_counters.tilesDecoded;
        m_cache->insert({tile, Light}, light);
        Q_EMIT tileReady({tile, Light});
    } else if (dark.isNull()) {
        // Bytes that are no image: treat like a tile the server does not have.
        m_missing.insert(tile);
    }
    if (!dark.isNull()) {
        m_darkWanted.remove(tile);
        m_cache->insert({tile, Dark}, dark);
        Q_EMIT tileReady({tile, Dark});
    } else if (m_darkWanted.contains(tile) && !light.isNull()) {
        // The map turned dark while the light picture was decoding.
        startDerivingDark(tile, light);
    }
    pump();
}
