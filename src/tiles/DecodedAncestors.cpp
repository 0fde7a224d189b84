#include "tiles/DecodedAncestors.h"

#include "tiles/TileImages.h"

#include <QMutexLocker>

QImage DecodedAncestors::decoded(const FrameTileKey& key, const QByteArray& bytes)
{
    {
        QMutexLocker locker(&m_lock);
        if (const Entry* kept = m_pictures.object(key); kept && kept->bytes == bytes)
            return kept->image;
    }
    // Decoded outside the lock: two workers may both decode one tile, but neither waits.
    QImage image = TileImages::decode(bytes);
    if (!image.isNull()) {
        QMutexLocker locker(&m_lock);
        m_pictures.insert(key, new Entry{bytes, image});
    }
    return image;
}
