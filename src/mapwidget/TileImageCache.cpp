#include "mapwidget/TileImageCache.h"

TileImageCache::TileImageCache(qint64 byteBudget)
    : m_budget(byteBudget)
{}

const QImage* TileImageCache::find(const Key& key)
{
    const auto it = m_entries.find(key);
    if (it == m_entries.end())
        return nullptr;
    m_order.splice(m_order.begin(), m_order, it->order);
    return &it->image;
}

const QImage* TileImageCache::peek(const Key& key) const
{
    const auto it = m_entries.constFind(key);
    return it == m_entries.constEnd() ? nullptr : &it->image;
}

void TileImageCache::insert(const Key& key, QImage image)
{
    remove(key);
    m_bytes += image.sizeInBytes();
    m_order.push_front(key);
    m_entries.insert(key, Entry{std::move(image), m_order.begin()});
    evict();
}

void TileImageCache::remove(const Key& key)
{
    const auto it = m_entries.find(key);
    if (it == m_entries.end())
        return;
    m_bytes -= it->image.sizeInBytes();
    m_order.erase(it->order);
    m_entries.erase(it);
}

void TileImageCache::clear()
{
    m_entries.clear();
    m_order.clear();
    m_bytes = 0;
}

void TileImageCache::setPinned(QSet<Key> keys)
{
    m_pinned = std::move(keys);
    evict();
}

void TileImageCache::evict()
{
    auto it = m_order.end();
    while (m_bytes > m_budget && it != m_order.begin()) {
        --it;
        if (m_pinned.contains(*it))
            continue;
        const Key key = *it;
        it = std::next(it); // erase below invalidates the current position only
        remove(key);
    }
}
