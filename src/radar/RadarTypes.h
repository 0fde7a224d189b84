#pragma once

#include <QList>
#include <QString>

#include <optional>

// The small enumerations every radar part passes around. Raw values are what the
// preferences store persists and what frame identifiers contain, so they never change.

// Nowcast and Analysis are the rain the user picks between; the thunder and tornado
// nowcasts are drawn over either and never stored as the user's choice.
enum class RadarProduct { Nowcast, Analysis, ThunderNowcast, TornadoNowcast };

enum class RadarRange { ThreeHours, TwelveHours };

enum class RadarPlaybackMode { Animation, Live };

QString rawValue(RadarProduct product);
QString rawValue(RadarRange range);
QString rawValue(RadarPlaybackMode mode);

// The element of the agency's lists and tile addresses that carries a product ("hrpns",
// "rasrf", "thns", "trns").
QString agencyElement(RadarProduct product);

// Exact, case-sensitive conversions: any other text yields no value. Only the two rain
// products are read back, since only they are ever stored.
std::optional<RadarProduct> radarProductFromRaw(const QString& raw);
std::optional<RadarRange> radarRangeFromRaw(const QString& raw);
std::optional<RadarPlaybackMode> radarPlaybackModeFromRaw(const QString& raw);

// Every case in declaration order (the order the settings window offers them).
QList<RadarRange> allRadarRanges();
QList<RadarPlaybackMode> allRadarPlaybackModes();

#include <QMetaType>
Q_DECLARE_METATYPE(RadarRange)
Q_DECLARE_METATYPE(RadarPlaybackMode)
