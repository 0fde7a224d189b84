#pragma once

#include "geo/GeoTypes.h"

#include <QByteArray>
#include <QDebug>
#include <QHashFunctions>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// A favourite place. In the preferences store a list of them is a compact UTF-8 JSON array
// of objects {"id", "name", "subtitle"?, "latitude", "longitude"}; the id is written as an
// upper-case canonical UUID and "subtitle" is left out when there is none.
struct SavedLocation {
    QUuid id;
    QString name;
    std::optional<QString> subtitle;
    double latitude = 0;
    double longitude = 0;

    // A place the user has just found or adopted, with a fresh random id.
    static SavedLocation create(QString name, std::optional<QString> subtitle, double latitude,
                                double longitude);
    // 東京 (東京都); its id is random, made once per process.
    static const SavedLocation& tokyo();

    GeoCoordinate coordinate() const { return {latitude, longitude}; }

    QJsonObject toJson() const;
    // Nothing when a required member is missing or has another type, or the id is not a
    // UUID string; a null subtitle counts as absent.
    static std::optional<SavedLocation> fromJson(const QJsonValue& value);

    friend bool operator==(const SavedLocation&, const SavedLocation&) = default;
};

size_t qHash(const SavedLocation& location, size_t seed = 0);
QDebug operator<<(QDebug debug, const SavedLocation& location);

using SavedLocations = QList<SavedLocation>;

// "12345678-9ABC-DEF0-1234-56789ABCDEF0": 36 characters, upper case, no braces.
QString uuidText(const QUuid& id);
// The same form in either case; anything else (braces included) is no UUID.
std::optional<QUuid> parseUuidText(const QString& text);

// Nothing when a location cannot be written as JSON (a coordinate that is not finite).
std::optional<QByteArray> encodeSavedLocations(const SavedLocations& locations);
// Nothing unless the bytes are a JSON array whose every element is a location.
std::optional<SavedLocations> decodeSavedLocations(const QByteArray& bytes);
