#pragma once

#include <QHashFunctions>
#include <QString>

// A WMO weather interpretation code as the forecast delivers it, not validated: codes
// without a meaning read "不明".
struct WeatherCode {
    qint64 rawValue = 0;

    QString label() const;
    // The application's icon name for the condition, by day or by night.
    QString symbolName(bool isDay) const;

    friend bool operator==(const WeatherCode&, const WeatherCode&) = default;
};

inline size_t qHash(WeatherCode code, size_t seed = 0)
{
    return qHash(code.rawValue, seed);
}
