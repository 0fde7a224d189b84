#pragma once

#include "platform/Expected.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One row of the agency's list of active tropical cyclones (targetTc.json).
struct TyphoonTarget {
    QString tropicalCyclone; // identity, e.g. "TC2410"; names the cyclone's directory
    QString typhoonNumber;   // "2409" (year and number), a letter, or empty
    QString category;        // "TD", "TS", "STS", "TY" or "LOW"
    QString issue;           // ISO 8601 text, kept as published

    friend bool operator==(const TyphoonTarget&, const TyphoonTarget&) = default;
};

// The whole list: a JSON array whose rows need all four members as strings.
Expected<QList<TyphoonTarget>> decodeTyphoonTargets(const QByteArray& json);
