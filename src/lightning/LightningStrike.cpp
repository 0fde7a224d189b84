#include "lightning/LightningStrike.h"

#include "lightning/LidenTime.h"

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
        const std::optional<QDateTime> observed = LidenTime::parse(feature.obstimeJST);
        if (!observed)
            continue;
        strikes.append(LightningStrike{
            feature.id, GeoCoordinate{feature.coordinates.at(1), feature.coordinates.at(0)},
            *observed});
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
