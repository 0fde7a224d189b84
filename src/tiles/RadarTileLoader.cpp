#include "tiles/RadarTileLoader.h"

#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/async/Sleep.h"
#include "platform/async/ThreadPool.h"
#include "platform/async/WhenAll.h"
#include "tiles/ForwardingNetworkCache.h"
#include "tiles/TileAddress.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QNetworkDiskCache>
#include <QStandardPaths>

namespace {

constexpr int kRetryCount = 2;
constexpr double kRetryDelaySeconds = 0.4;
constexpr int kFailuresBeforeReset = 24;
constexpr double kResetGuardSeconds = 30;
constexpr int kMaxResolvedMembers = 512;
constexpr double kFreshEmptySeconds = 1200;
constexpr size_t kPrefetchWindow = 6;
constexpr int kMaxAgencyZoom = 10;
// Derived pictures shown within this long are not evicted for newcomers.
constexpr qint64 kDerivedKeepMs = 20'000;
// Zoom-10 tiles kept decoded while their squares are cut out: more than a detail map shows.
constexpr int kDecodedAncestors = 32;

// An agency tile shown as its own bytes.
TileImages::DisplayTile agencyTile(const QByteArray& bytes)
{
    return {bytes, {}, TileImages::isEmptyTile(bytes)};
}

QString defaultCacheDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/jmatile");
}

} // namespace

RadarTileLoader& RadarTileLoader::shared()
{
    // Parented to the application so it goes before the event loop's objects do.
    static RadarTileLoader* loader = new RadarTileLoader({}, QCoreApplication::instance());
    return *loader;
}

RadarTileLoader::RadarTileLoader(Options options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_diskCache(new QNetworkDiskCache(this))
    , m_derived(m_options.derivedCacheBytes, kDerivedKeepMs)
    , m_ancestors(std::make_shared<DecodedAncestors>(kDecodedAncestors))
{
    if (m_options.cacheDirectory.isEmpty())
        m_options.cacheDirectory = defaultCacheDirectory();
    m_diskCache->setCacheDirectory(m_options.cacheDirectory);
    m_diskCache->setMaximumCacheSize(m_options.diskCacheBytes);
    m_memory.setMaxCost(m_options.memoryCacheBytes);
    m_session = new HttpSession(sessionConfig(), this);
}

RadarTileLoader::~RadarTileLoader() = default;

HttpSessionConfig RadarTileLoader::sessionConfig()
{
    HttpSessionConfig config;
    config.cachePolicy = QNetworkRequest::PreferCache;
    config.betweenBytesTimeout = std::chrono::seconds(20);
    config.wholeTransferTimeout = std::chrono::seconds(60);
    config.pipelining = true;
    config.makeCache = [cache = QPointer<QNetworkDiskCache>(m_diskCache)] {
        return new ForwardingNetworkCache(cache);
    };
    return config;
}

int RadarTileLoader::consecutiveFailures() const
{
    QMutexLocker locker(&m_lock);
    return m_consecutiveFailures;
}

QDateTime RadarTileLoader::lastSessionResetAt() const
{
    QMutexLocker locker(&m_lock);
    return m_lastSessionResetAt;
}

std::optional<QString> RadarTileLoader::resolvedMember(const RadarFrame& frame) const
{
    QMutexLocker locker(&m_lock);
    const auto found = m_resolvedMembers.constFind(TileAddress::memberKey(frame));
    if (found == m_resolvedMembers.cend())
        return std::nullopt;
    return *found;
}

async::Task<std::optional<TileImages::DisplayTile>>
RadarTileLoader::displayTileData(RadarFrame frame, TilePath path)
{
    const TileId tile = path.tile;
    if (tile.z < 0 || tile.z > 30 || tile.x < 0 || tile.y < 0)
        co_return std::nullopt;

    if (tile.z <= kMaxAgencyZoom && tile.z % 2 == 0) {
        const std::optional<QByteArray> bytes = co_await tileData(frame, tile);
        if (!bytes)
            co_return std::nullopt;
        co_return agencyTile(*bytes);
    }
    const int side = TileImages::displaySide(path.scale);
    if (const TileImages::DisplayTile* kept = findDerived({frame.id(), tile, side}))
        co_return *kept;
    if (tile.z < kMaxAgencyZoom)
        co_return co_await composedTile(frame, tile, side);
    co_return co_await croppedTile(frame, tile, side);
}

std::optional<TileImages::DisplayTile> RadarTileLoader::displayTileInMemory(const RadarFrame& frame,
                                                                            const TilePath& path)
{
    const TileId& tile = path.tile;
    if (tile.z < 0 || tile.z > 30 || tile.x < 0 || tile.y < 0)
        return std::nullopt;
    if (tile.z > kMaxAgencyZoom || tile.z % 2 == 1) {
        const TileImages::DisplayTile* kept =
            findDerived({frame.id(), tile, TileImages::displaySide(path.scale)});
        return kept ? std::optional(*kept) : std::nullopt;
    }
    const std::optional<QString> member = resolvedMember(frame);
    if (!member)
        return std::nullopt;
    const QByteArray* bytes =
        m_memory.object(TileAddress::tileUrl(frame, *member, tile).toString());
    if (!bytes)
        return std::nullopt;
    {
        QMutexLocker locker(&m_lock);
        m_consecutiveFailures = 0;
    }
    return agencyTile(*bytes);
}

const TileImages::DisplayTile* RadarTileLoader::findDerived(const FrameTileKey& key)
{
    return m_derived.find(key, steadyClockMs());
}

// Only pictures are worth keeping (empty tiles cost no work), and none made while the
// agency may still be filling in one of its sources.
void RadarTileLoader::keepDerived(const FrameTileKey& key, const RadarFrame& frame,
                                  const std::optional<TileImages::DisplayTile>& tile,
                                  bool hasEmptySource)
{
    if (!tile || tile->image.isNull())
        return;
    const double age = std::abs(secondsBetween(frame.date, Clock::current().now()));
    if (hasEmptySource && age < kFreshEmptySeconds)
        return;
    m_derived.insert(key, *tile, tile->image.sizeInBytes(), steadyClockMs());
}

// Odd zooms: the four tiles of the next level, fetched concurrently. Missing or all-empty
// quadrants need no image work at all.
async::Task<std::optional<TileImages::DisplayTile>>
RadarTileLoader::composedTile(RadarFrame frame, TileId tile, int side)
{
    std::vector<async::Task<std::optional<QByteArray>>> downloads;
    for (int i = 0; i < 4; ++i)
        downloads.push_back(
            tileData(frame, {tile.z + 1, 2 * tile.x + (i & 1), 2 * tile.y + (i >> 1)}));
    auto join = async::whenAll(std::move(downloads));
    const std::vector<std::optional<QByteArray>> parts = co_await join;

    std::array<std::optional<QByteArray>, 4> quadrants;
    for (size_t i = 0; i < quadrants.size(); ++i) {
        if (!parts[i])
            co_return std::nullopt;
        quadrants[i] = parts[i];
    }
    if (std::all_of(quadrants.begin(), quadrants.end(),
                    [](const auto& part) { return TileImages::isEmptyTile(*part); })) {
        co_return agencyTile(*quadrants[0]);
    }
    auto work =
        async::runInPool([quadrants, side] { return TileImages::compose(quadrants, side); });
    std::optional<std::optional<TileImages::DisplayTile>> composed = co_await work;
    if (!composed)
        co_return std::nullopt;
    const bool hasEmptySource =
        std::any_of(quadrants.begin(), quadrants.end(),
                    [](const auto& part) { return TileImages::isEmptyTile(*part); });
    keepDerived({frame.id(), tile, side}, frame, *composed, hasEmptySource);
    co_return *composed;
}

// Zooms above 10: a square cut out of the zoom-10 ancestor.
async::Task<std::optional<TileImages::DisplayTile>>
RadarTileLoader::croppedTile(RadarFrame frame, TileId tile, int side)
{
    const int k = tile.z - kMaxAgencyZoom;
    const int scale = 1 << k;
    const TileId source = tile.ancestor(k);
    const std::optional<QByteArray> ancestor = co_await tileData(frame, source);
    if (!ancestor)
        co_return std::nullopt;
    if (TileImages::isEmptyTile(*ancestor)) {
        co_return agencyTile(*ancestor);
    }
    auto work = async::runInPool([bytes = *ancestor, scale, tile, side, ancestors = m_ancestors,
                                  key = FrameTileKey{frame.id(), source, 0}] {
        return TileImages::cropPicture(ancestors->decoded(key, bytes), bytes, scale, tile.x % scale,
                                       tile.y % scale, side);
    });
    std::optional<std::optional<TileImages::DisplayTile>> cropped = co_await work;
    if (!cropped)
        co_return std::nullopt;
    keepDerived({frame.id(), tile, side}, frame, *cropped, false);
    co_return *cropped;
}

async::Task<std::optional<QByteArray>> RadarTileLoader::tileData(RadarFrame frame, TileId tile)
{
    QStringList members;
    if (auto remembered = resolvedMember(frame))
        members = {*remembered};
    else
        members = TileAddress::candidateMembers(frame.product);

    const std::optional<QByteArray> bytes =
        co_await attempt(members, frame, tile, kRetryCount, kRetryDelaySeconds);
    if (bytes) {
        QMutexLocker locker(&m_lock);
        m_consecutiveFailures = 0;
        co_return bytes;
    }
    if (!async::isCancelled())
        countFailure();
    co_return std::nullopt;
}

void RadarTileLoader::countFailure()
{
    bool reset = false;
    {
        QMutexLocker locker(&m_lock);
        ++m_consecutiveFailures;
        reset = m_consecutiveFailures >= kFailuresBeforeReset;
    }
    if (reset)
        resetSession(false);
}

async::Task<std::optional<QByteArray>> RadarTileLoader::attempt(QStringList members,
                                                                RadarFrame frame, TileId tile,
                                                                int retryCount, double retryDelay)
{
    for (const QString& member : members) {
        const QUrl url = TileAddress::tileUrl(frame, member, tile);
        if (!url.isValid())
            continue;
        if (async::isCancelled())
            co_return std::nullopt;

        if (const QByteArray* cached = m_memory.object(url.toString())) {
            const QByteArray bytes = *cached;
            rememberMember(frame, member);
            co_return bytes;
        }

        for (int request = 0; request <= retryCount; ++request) {
            HttpSession* session = nullptr;
            {
                QMutexLocker locker(&m_lock);
                session = m_session;
            }
            HttpReply reply = session->get(url);
            const HttpResponse response = co_await reply;
            const bool last = request == retryCount;

            if (response.isTransportFailure()) {
                if (async::isCancelled())
                    co_return std::nullopt;
                qCWarning(lcRadar, "タイル取得失敗: %s",
                          qUtf8Printable(response.errorDescription()));
            } else if (response.status == 200) {
                rememberMember(frame, member);
                discardCachedEmptyTileIfFresh(url, frame, response.body);
                co_return response.body;
            } else {
                // A cached error page would be served forever under the cache-first policy.
                forget(url);
            }
            if (last)
                break;
            co_await async::sleepSeconds(retryDelay);
            if (async::isCancelled())
                co_return std::nullopt;
        }
    }
    co_return std::nullopt;
}

void RadarTileLoader::rememberMember(const RadarFrame& frame, const QString& member)
{
    const QString key = TileAddress::memberKey(frame);
    QMutexLocker locker(&m_lock);
    if (m_resolvedMembers.value(key) == member)
        return;
    if (m_resolvedMembers.size() >= kMaxResolvedMembers)
        m_resolvedMembers.clear();
    m_resolvedMembers.insert(key, member);
}

void RadarTileLoader::discardCachedEmptyTileIfFresh(const QUrl& url, const RadarFrame& frame,
                                                    const QByteArray& bytes)
{
    const double age = std::abs(secondsBetween(frame.date, Clock::current().now()));
    if (TileImages::isEmptyTile(bytes) && age < kFreshEmptySeconds) {
        // The agency may still be filling this frame in: ask again next time.
        forget(url);
        return;
    }
    m_memory.insert(url.toString(), new QByteArray(bytes), qMax<qsizetype>(bytes.size(), 1));
}

void RadarTileLoader::forget(const QUrl& url)
{
    m_memory.remove(url.toString());
    m_diskCache->remove(url);
}

async::Task<void> RadarTileLoader::prefetch(RadarFrames frames, QList<TilePath> tiles)
{
    if (frames.isEmpty() || tiles.isEmpty())
        co_return;
    for (const RadarFrame& frame : frames) {
        if (async::isCancelled())
            co_return;
        std::vector<async::Task<std::optional<QByteArray>>> downloads;
        downloads.reserve(size_t(tiles.size()));
        for (const TilePath& path : tiles)
            downloads.push_back(tileData(frame, path.tile));
        co_await async::whenAll(std::move(downloads), kPrefetchWindow);
    }
}

void RadarTileLoader::resetSession(bool force)
{
    {
        QMutexLocker locker(&m_lock);
        const QDateTime now = Clock::current().now();
        if (!force && m_lastSessionResetAt.isValid() &&
            secondsBetween(m_lastSessionResetAt, now) < kResetGuardSeconds)
            return;
        m_lastSessionResetAt = now;
        m_consecutiveFailures = 0;
    }
    // Outside the lock: aborting the old transfers resumes their awaiters later.
    m_session->reset();
    qCInfo(lcRadar, "タイル取得の URLSession を作り直した");
}
