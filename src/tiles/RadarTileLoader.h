#pragma once

#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"
#include "tiles/AgencyTileSource.h"
#include "tiles/RadarTilePictures.h"

#include <QObject>

struct RadarTileLoaderOptions {
    QString cacheDirectory; // the disk cache; empty: <cache location>/jmatile
    qint64 diskCacheBytes = qint64(512) * 1024 * 1024;
    qint64 memoryCacheBytes = qint64(256) * 1024 * 1024;
    // Composed (odd zoom) and cut-out (above zoom 10) pictures, so a loop that comes back to a
    // frame does no image work again.
    qint64 derivedCacheBytes = qint64(160) * 1024 * 1024;
};

// The radar tiles the program shares: the agency's bytes, the pictures made from them, and
// the scope where work that outlives a single caller runs (tile requests of overlays,
// notices). The pictures ask the source, never the other way round.
class RadarTileLoader : public QObject {
    Q_OBJECT

public:
    using Options = RadarTileLoaderOptions;

    static RadarTileLoader& shared();

    explicit RadarTileLoader(Options options = {}, QObject* parent = nullptr);
    ~RadarTileLoader() override;

    AgencyTileSource& agency() { return m_agency; }
    RadarTilePictures& pictures() { return m_pictures; }
    async::TaskScope& tasks() { return m_tasks; }

    // What the program's supervision asks of the source, here so it need not know the parts.
    async::Task<void> prefetch(RadarFrames frames, QList<TilePath> tiles)
    {
        return m_agency.prefetch(std::move(frames), std::move(tiles));
    }
    void resetSession(bool force) { m_agency.resetSession(force); }
    QDateTime lastSessionResetAt() const { return m_agency.lastSessionResetAt(); }

private:
    AgencyTileSource m_agency;
    RadarTilePictures m_pictures;
    async::TaskScope m_tasks; // last: destroyed first, before the tasks' pictures and source
};
