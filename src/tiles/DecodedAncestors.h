#pragma once

#include "tiles/FrameTileKey.h"

#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QMutex>
#include <QString>

// Zoom-10 tiles decoded for cutting out, shared by the pool tasks that cut them: the
// squares of one agency tile on screen (four at zoom 11) then cost one decode instead of one
// each. Pictures stay as Qt decodes them (palette indices, 64 KiB a tile). Thread-safe.
class DecodedAncestors {
public:
    explicit DecodedAncestors(int capacity)
        : m_pictures(capacity)
    {}

    // The picture of `bytes`, decoded once while it is kept under `key`.
    QImage decoded(const FrameTileKey& key, const QByteArray& bytes);

private:
    struct Entry {
        QByteArray bytes; // a key stands for these bytes only
        QImage image;
    };

    QMutex m_lock;
    QCache<FrameTileKey, Entry> m_pictures;
};
