#include "tiles/AgencyTileSource.h"

#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/async/Sleep.h"
#include "platform/async/WhenAll.h"
#include "tiles/ForwardingNetworkCache.h"
#include "tiles/HazardPalette.h"
#include "tiles/TileAddress.h"
#include "tiles/TileImages.h"

#include <QDir>
#include <QMutexLocker>
#include <QNetworkDiskCache>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

constexpr int kRetryCount = 2;
constexpr double kRetryDelaySeconds = 0.4;
constexpr int kFailuresBeforeReset = 24;
constexpr double kResetGuardSeconds = 30;
constexpr int kMaxResolvedMembers = 512;
constexpr double kFreshEmptySeconds = 1200;
constexpr size_t kPrefetchWindow = 6;
constexpr int kMaxAgencyTileZoom = 10;

QString defaultCacheDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/jmatile");
}

// Whether files can be made in `directory` (made if missing). A full disk, a read-only folder
// or a file standing in its place all say no.
bool canWriteIn(const QString& directory)
{
    if (!QDir().mkpath(directory))
        return false;
    QTemporaryFile probe(directory + QStringLiteral("/probe-XXXXXX"));
    return probe.open() && probe.write("x", 1) == 1 && probe.flush();
}

} // namespace

AgencyTileSource::AgencyTileSource(QString cacheDirectory, qint64 diskCacheBytes,
                                   qint64 memoryCacheBytes, QObject* parent)
    : QObject(parent)
    , m_diskCache(new QNetworkDiskCache(this))
{
    const QString directory = cacheDirectory.isEmpty() ? defaultCacheDirectory() : cacheDirectory;
    m_diskCache->setCacheDirectory(directory);
    m_diskCache->setMaximumCacheSize(diskCacheBytes);
    m_diskWritable = canWriteIn(directory);
    if (!m_diskWritable)
        qCWarning(lcRadar,
                  "タイルのキャッシュフォルダーに書き込めません（%s）。メモリーだけで続けます",
                  qUtf8Printable(directory));
    m_memory.setMaxCost(memoryCacheBytes);
    m_session = new HttpSession(sessionConfig(), this);
}

AgencyTileSource::~AgencyTileSource() = default;

HttpSessionConfig AgencyTileSource::sessionConfig()
{
    HttpSessionConfig config;
    config.cachePolicy = QNetworkRequest::PreferCache;
    config.betweenBytesTimeout = std::chrono::seconds(20);
    config.wholeTransferTimeout = std::chrono::seconds(60);
    config.pipelining = true;
    config.makeCache = [cache = QPointer<QNetworkDiskCache>(m_diskCache),
                        writable = m_diskWritable] {
        return new ForwardingNetworkCache(cache, writable);
    };
    return config;
}

bool AgencyTileSource::mayStillFill(const RadarFrame& frame)
{
    return std::abs(secondsBetween(frame.date, Clock::current().now())) < kFreshEmptySeconds;
}

int AgencyTileSource::consecutiveFailures() const
{
    QMutexLocker locker(&m_lock);
    return m_consecutiveFailures;
}

QDateTime AgencyTileSource::lastSessionResetAt() const
{
    QMutexLocker locker(&m_lock);
    return m_lastSessionResetAt;
}

std::optional<QString> AgencyTileSource::resolvedMember(const RadarFrame& frame) const
{
    QMutexLocker locker(&m_lock);
    const auto found = m_resolvedMembers.constFind(TileAddress::memberKey(frame));
    if (found == m_resolvedMembers.cend())
        return std::nullopt;
    return *found;
}

std::optional<QByteArray> AgencyTileSource::tileInMemory(const RadarFrame& frame,
                                                         const TileId& tile)
{
    const std::optional<QString> member = resolvedMember(frame);
    if (!member)
        return std::nullopt;
    const QByteArray* bytes =
        m_memory.object(TileAddress::tileUrl(frame, *member, tile).toString());
    if (!bytes)
        return std::nullopt;
    noteSuccess();
    return *bytes;
}

async::Task<std::optional<QByteArray>> AgencyTileSource::tileData(RadarFrame frame, TileId tile)
{
    QStringList members;
    if (auto remembered = resolvedMember(frame))
        members = {*remembered};
    else
        members = TileAddress::candidateMembers(frame.product);

    const std::optional<QByteArray> bytes =
        co_await attempt(members, frame, tile, kRetryCount, kRetryDelaySeconds);
    if (bytes) {
        noteSuccess();
        co_return bytes;
    }
    if (!async::isCancelled())
        countFailure();
    co_return std::nullopt;
}

void AgencyTileSource::noteSuccess()
{
    QMutexLocker locker(&m_lock);
    m_consecutiveFailures = 0;
}

void AgencyTileSource::countFailure()
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

async::Task<std::optional<QByteArray>> AgencyTileSource::attempt(QStringList members,
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
                keepUnlessStillFilling(url, frame, response.body);
                learnLevelColours(frame, response.body);
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

void AgencyTileSource::rememberMember(const RadarFrame& frame, const QString& member)
{
    const QString key = TileAddress::memberKey(frame);
    QMutexLocker locker(&m_lock);
    if (m_resolvedMembers.value(key) == member)
        return;
    if (m_resolvedMembers.size() >= kMaxResolvedMembers)
        m_resolvedMembers.clear();
    m_resolvedMembers.insert(key, member);
}

void AgencyTileSource::keepUnlessStillFilling(const QUrl& url, const RadarFrame& frame,
                                              const QByteArray& bytes)
{
    if (TileImages::isEmptyTile(bytes) && mayStillFill(frame)) {
        // The agency may still be filling this frame in: ask again next time.
        forget(url);
        return;
    }
    m_memory.insert(url.toString(), new QByteArray(bytes), qMax<qsizetype>(bytes.size(), 1));
}

bool AgencyTileSource::holdsTile(const RadarFrame& frame, const TileId& tile) const
{
    if (tile.z > kMaxAgencyTileZoom)
        return holdsAgencyTile(frame, tile.ancestor(tile.z - kMaxAgencyTileZoom));
    if (tile.z % 2 == 0)
        return holdsAgencyTile(frame, tile);
    for (int i = 0; i < 4; ++i) {
        if (!holdsAgencyTile(frame, {tile.z + 1, 2 * tile.x + (i & 1), 2 * tile.y + (i >> 1)}))
            return false;
    }
    return true;
}

bool AgencyTileSource::holdsAgencyTile(const RadarFrame& frame, const TileId& tile) const
{
    QStringList members = TileAddress::candidateMembers(frame.product);
    if (const std::optional<QString> remembered = resolvedMember(frame))
        members = {*remembered};
    for (const QString& member : std::as_const(members)) {
        const QUrl url = TileAddress::tileUrl(frame, member, tile);
        if (!url.isValid())
            continue;
        // The disk's index answers from the file's header alone, not its body.
        if (m_memory.contains(url.toString()) || m_diskCache->metaData(url).isValid())
            return true;
    }
    return false;
}

void AgencyTileSource::learnLevelColours(const RadarFrame& frame, const QByteArray& bytes)
{
    const bool hazard = frame.product == RadarProduct::ThunderNowcast ||
                        frame.product == RadarProduct::TornadoNowcast;
    if (!hazard || m_levelColours.contains(frame.product) || TileImages::isEmptyTile(bytes))
        return;
    const QList<QColor> colours = HazardPalette::levelColours(bytes);
    if (colours.isEmpty())
        return;
    m_levelColours.insert(frame.product, colours);
    Q_EMIT levelColoursChanged();
}

void AgencyTileSource::forget(const QUrl& url)
{
    m_memory.remove(url.toString());
    m_diskCache->remove(url);
}

async::Task<void> AgencyTileSource::prefetch(RadarFrames frames, QList<TilePath> tiles)
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

void AgencyTileSource::resetSession(bool force)
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
