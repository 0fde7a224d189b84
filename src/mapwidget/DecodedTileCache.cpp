#include "mapwidget/DecodedTileCache.h"

#include <QMutexLocker>

namespace {

// Pictures shown within this long stay, even when a newcomer finds the cache full.
constexpr qint64 kKeepMs = 20'000;

} // namespace

DecodedTileCache::DecodedTileCache(qint64 byteBudget)
    : m_images(byteBudget, kKeepMs)
{}

std::optional<QImage> DecodedTileCache::find(const QByteArray& encoded)
{
    QMutexLocker locker(&m_mutex);
    const QImage* image = m_images.find(encoded, steadyClockMs());
    if (!image)
        return std::nullopt;
    ++m_hits;
    return *image;
}

void DecodedTileCache::insert(const QByteArray& encoded, const QImage& image)
{
    if (encoded.isEmpty() || image.isNull())
        return;
    QMutexLocker locker(&m_mutex);
    m_images.insert(encoded, image, image.sizeInBytes(), steadyClockMs());
}

int DecodedTileCache::count() const
{
    QMutexLocker locker(&m_mutex);
    return m_images.count();
}
