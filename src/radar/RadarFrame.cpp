#include "radar/RadarFrame.h"

#include <QHashFunctions>

QString RadarFrame::id() const
{
    return rawValue(product) + QLatin1Char('/') + basetime + QLatin1Char('/') + validtime;
}

size_t qHash(const RadarFrame& frame, size_t seed)
{
    return qHashMulti(seed, rawValue(frame.product), frame.basetime, frame.validtime,
                      int(frame.kind), frame.date);
}

QDebug operator<<(QDebug debug, const RadarFrame& frame)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "RadarFrame(" << frame.id() << ", "
                    << (frame.isObservation() ? "observation" : "forecast") << ')';
    return debug;
}
