#include "lightning/LightningStrike.h"

#include "platform/AgencyTime.h"
#include "platform/JapanTime.h"

#include <QHashFunctions>

namespace {

constexpr qint64 kCloudToGround = 4;

} // namespace

QList<LightningStrike> LightningStrike::fromFeatures(const QList<LidenFeature>& features)
{
    QList<LightningStrike> strikes;
    for (const LidenFeature& feature : features) {
        if (feature.type != kCloudToGround || feature.coordinates.size() < 2)
            continue;
        // Observation times are Japan time, "yyyy/MM/dd HH:mm:ss.SSS"; strikes hold UTC.
        const std::optional<QDateTime> observed =
            AgencyTime::parse(feature.obstimeJST, u"yyyy/MM/dd HH:mm:ss.zzz", JapanTime::zone());
        if (!observed)
            continue;
        strikes.append(LightningStrike{
            feature.id, GeoCoordinate{feature.coordinates.at(1), feature.coordinates.at(0)},
            observed->toUTC()});
    }
    return strikes;
}

size_t qHash(const LightningStrike& strike, size_t seed)
{
    return qHashMulti(seed, strike.id, strike.observedAt);
}

QDebug operator<<(QDebug debug, const LightningStrike& strike)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "LightningStrike(" << strike.id << ", " << strike.coordinate << ", "
                    << strike.observedAt.toString(Qt::ISODateWithMs) << ')';
    return debug;
}
