#pragma once

#include "typhoon/TyphoonInfo.h"

#include <QTimeZone>

// Typhoon No. 10 issued 29 August 03:00 UTC, come from a degree south-west of its centre.
inline TyphoonInfo typhoonAt(const QString& id, const GeoCoordinate& centre = {20, 130})
{
    TyphoonInfo info;
    info.id = id;
    info.typhoonNumber = QStringLiteral("10");
    info.isTyphoon = true;
    info.issue = QDateTime(QDate(2025, 8, 29), QTime(3, 0), QTimeZone::utc());
    info.currentPoint = centre;
    info.pastTrack = {{centre.latitude - 1, centre.longitude - 1}, centre};
    return info;
}
