#pragma once

#include "platform/RecencyCache.h"

#include <QByteArray>
#include <QImage>
#include <QMutex>

#include <atomic>
#include <optional>

// Pictures already decoded from encoded tile bytes, keyed by the bytes themselves: an
// animation that comes back to a frame hands the map the same PNGs again, and a blit costs
// a fraction of a decode. Bounded by the pictures' bytes; a loop longer than the budget keeps
// the part that fits instead of evicting each picture just before it is shown again.
// Any thread.
class DecodedTileCache {
public:
    explicit DecodedTileCache(qint64 byteBudget);

    std::optional<QImage> find(const QByteArray& encoded);
    void insert(const QByteArray& encoded, const QImage& image);

    int hits() const { return m_hits.load(); }
    int count() const;

private:
    mutable QMutex m_mutex;
    RecencyCache<QByteArray, QImage> m_images;
    std::atomic<int> m_hits{0};
};
