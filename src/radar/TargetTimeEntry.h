#pragma once

#include "platform/Expected.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One row of the agency's target-times lists (radar lists and the lightning list).
struct TargetTimeEntry {
    QString basetime;
    QString validtime;
    QStringList elements;

    bool isObservation() const { return basetime == validtime; }
    bool hasElement(const QString& element) const { return elements.contains(element); }

    friend bool operator==(const TargetTimeEntry&, const TargetTimeEntry&) = default;
};

// A whole target-times document: a JSON array of entries, each with the three members as
// strings (elements: array of strings). One bad entry fails the document; other members
// are ignored.
Expected<QList<TargetTimeEntry>> decodeTargetTimes(const QByteArray& json);
