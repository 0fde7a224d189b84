#pragma once

#include "platform/Expected.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One part of a cyclone's specifications document (specifications.json), reduced to what
// is read. The values stay text: they are shown as published.
struct TyphoonSpecEntry {
    std::optional<qint64> advancedHours; // absent on the title (header) part
    std::optional<QString> categoryJp;
    std::optional<QString> nameJp;
    std::optional<QString> location;
    std::optional<QString> course;
    std::optional<QString> speedKmh;
    std::optional<QString> pressure;
    std::optional<QString> sustainedMs;
    std::optional<QString> gustMs;

    friend bool operator==(const TyphoonSpecEntry&, const TyphoonSpecEntry&) = default;
};

// A whole specifications document: a JSON array of parts whose members are all optional
// but must have their type when present (a `speed` that is not an object fails the
// document; `category.jp`, `name.jp` and `name.en` are required inside their objects).
Expected<QList<TyphoonSpecEntry>> decodeTyphoonSpecifications(const QByteArray& json);
