#pragma once

#include "TestData.h"

// Open-Meteo answers under tests/data/openmeteo.
namespace WeatherTestData {

inline QByteArray fixture(const char* name)
{
    return TestData::read(QStringLiteral("openmeteo/") + QLatin1String(name));
}

} // namespace WeatherTestData
