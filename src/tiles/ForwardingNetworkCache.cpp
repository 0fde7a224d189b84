#include "tiles/ForwardingNetworkCache.h"

ForwardingNetworkCache::ForwardingNetworkCache(QAbstractNetworkCache* target, bool writable)
    : m_target(target)
    , m_writable(writable)
{}

QNetworkCacheMetaData ForwardingNetworkCache::metaData(const QUrl& url)
{
    return m_target ? m_target->metaData(url) : QNetworkCacheMetaData();
}

void ForwardingNetworkCache::updateMetaData(const QNetworkCacheMetaData& metaData)
{
    if (m_target)
        m_target->updateMetaData(metaData);
}

QIODevice* ForwardingNetworkCache::data(const QUrl& url)
{
    return m_target ? m_target->data(url) : nullptr;
}

bool ForwardingNetworkCache::remove(const QUrl& url)
{
    return m_target && m_target->remove(url);
}

qint64 ForwardingNetworkCache::cacheSize() const
{
    return m_target ? m_target->cacheSize() : 0;
}

QIODevice* ForwardingNetworkCache::prepare(const QNetworkCacheMetaData& metaData)
{
    return m_target && m_writable ? m_target->prepare(metaData) : nullptr;
}

void ForwardingNetworkCache::insert(QIODevice* device)
{
    if (m_target)
        m_target->insert(device);
}

void ForwardingNetworkCache::clear()
{
    if (m_target)
        m_target->clear();
}
