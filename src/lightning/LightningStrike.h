#pragma once

#include "geo/GeoTypes.h"
#include "lightning/LidenFeature.h"

#include <QDateTime>
#include <QDebug>
#include <QList>
#include <QMetaType>
#include <QString>

// One cloud-to-ground strike as the map shows it. Two strikes are the same strike when id
// and time agree; the position does not take part, so a moved marker is not a new strike.
struct LightningStrike {
    QString id;
    GeoCoordinate coordinate;
    QDateTime observedAt;

    friend bool operator==(const LightningStrike& a, const LightningStrike& b)
    {
        return a.id == b.id && a.observedAt == b.observedAt;
    }

    // The strikes of a file: features of type 4 with at least two coordinates and a time
    // that parses, in file order, duplicates kept. Others are dropped without a word.
    static QList<LightningStrike> fromFeatures(const QList<LidenFeature>& features);
};

size_t qHash(const LightningStrike& strike, size_t seed = 0);
QDebug operator<<(QDebug debug, const LightningStrike& strike);

using LightningStrikes = QList<LightningStrike>;

Q_DECLARE_METATYPE(LightningStrike)
