#pragma once

#include "geo/TileId.h"

#include <QHash>
#include <QImage>
#include <QSet>

#include <list>

// Decoded tiles kept in memory: a least-recently-used store bounded by bytes, where the
// tiles on screen are pinned and never evicted. Lives on the GUI thread.
class TileImageCache {
public:
    // A tile and the variant of its picture (light or dark map, say).
    struct Key {
        TileId tile;
        int variant = 0;

        friend bool operator==(const Key&, const Key&) = default;
    };

    explicit TileImageCache(qint64 byteBudget);

    qint64 byteBudget() const { return m_budget; }
    qint64 bytes() const { return m_bytes; }
    int count() const { return int(m_entries.size()); }

    bool contains(const Key& key) const { return m_entries.contains(key); }
    // The image, marked as recently used; nullptr when absent.
    const QImage* find(const Key& key);
    // The image without touching the order (painting looks up ancestors that may not be
    // used); nullptr when absent.
    const QImage* peek(const Key& key) const;
    void insert(const Key& key, QImage image);
    void remove(const Key& key);
    void clear();

    // Pinned tiles survive eviction even when they alone exceed the budget.
    void setPinned(QSet<Key> keys);

private:
    struct Entry {
        QImage image;
        std::list<Key>::iterator order;
    };

    void evict();

    qint64 m_budget;
    qint64 m_bytes = 0;
    QHash<Key, Entry> m_entries;
    std::list<Key> m_order; // most recent first
    QSet<Key> m_pinned;
};

inline size_t qHash(const TileImageCache::Key& key, size_t seed = 0)
{
    return qHashMulti(seed, key.tile, key.variant);
}
