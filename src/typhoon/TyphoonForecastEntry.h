#pragma once

#include "platform/Expected.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One step of a cyclone's forecast document (forecast.json), reduced to what is read.
// Positions are kept as published ([latitude, longitude], sometimes more numbers); which
// of them are usable is decided when the documents are combined.
struct TyphoonForecastEntry {
    using Position = QList<double>;

    struct RawCircle {
        Position center;
        double radius = 0; // metres

        friend bool operator==(const RawCircle&, const RawCircle&) = default;
    };

    std::optional<qint64> advancedHours; // 0: the analysis; absent on the title part
    std::optional<QString> validTimeJst;
    QList<Position> trackPreTyphoon; // empty when absent
    QList<Position> trackTyphoon;
    std::optional<Position> center;
    std::optional<RawCircle> galeWarningArea;
    std::optional<double> probabilityRadius; // metres

    friend bool operator==(const TyphoonForecastEntry&, const TyphoonForecastEntry&) = default;
};

// A whole forecast document: a JSON array of parts. Every member is optional but must have
// its type when present (`validtime.JST`, circle centres and radii are required inside their
// objects); one violation fails the document. Other members are ignored.
Expected<QList<TyphoonForecastEntry>> decodeTyphoonForecast(const QByteArray& json);
