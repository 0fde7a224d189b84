#include "mapwidget/DecodedTileCache.h"

#include <QMutexLocker>

#include <algorithm>
#include <limits>

DecodedTileCache::DecodedTileCache(qint64 byteBudget)
{
    m_images.setMaxCost(
        qsizetype(std::clamp<qint64>(byteBudget / 1024, 1, std::numeric_limits<int>::max())));
}

std::optional<QImage> DecodedTileCache::find(const QByteArray& encoded)
{
    QMutexLocker locker(&m_mutex);
    const QImage* image = m_images.object(encoded);
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
    m_images.insert(encoded, new QImage(image), std::max<qsizetype>(image.sizeInBytes() / 1024, 1));
}

int DecodedTileCache::count() const
{
    QMutexLocker locker(&m_mutex);
    return int(m_images.count());
}
