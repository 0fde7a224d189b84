#include "radar/RadarTypes.h"

QString rawValue(RadarProduct product)
{
    switch (product) {
    case RadarProduct::Nowcast:
        return QStringLiteral("nowcast");
    case RadarProduct::Analysis:
        return QStringLiteral("analysis");
    case RadarProduct::ThunderNowcast:
        return QStringLiteral("thunder");
    case RadarProduct::TornadoNowcast:
        return QStringLiteral("tornado");
    }
    return {};
}

QString agencyElement(RadarProduct product)
{
    switch (product) {
    case RadarProduct::Nowcast:
        return QStringLiteral("hrpns");
    case RadarProduct::Analysis:
        return QStringLiteral("rasrf");
    case RadarProduct::ThunderNowcast:
        return QStringLiteral("thns");
    case RadarProduct::TornadoNowcast:
        return QStringLiteral("trns");
    }
    return {};
}

QString rawValue(RadarRange range)
{
    switch (range) {
    case RadarRange::ThreeHours:
        return QStringLiteral("threeHours");
    case RadarRange::TwelveHours:
        return QStringLiteral("twelveHours");
    }
    return {};
}

QString rawValue(RadarPlaybackMode mode)
{
    switch (mode) {
    case RadarPlaybackMode::Animation:
        return QStringLiteral("animation");
    case RadarPlaybackMode::Live:
        return QStringLiteral("live");
    }
    return {};
}

std::optional<RadarProduct> radarProductFromRaw(const QString& raw)
{
    for (auto product : {RadarProduct::Nowcast, RadarProduct::Analysis}) {
        if (rawValue(product) == raw)
            return product;
    }
    return std::nullopt;
}

std::optional<RadarRange> radarRangeFromRaw(const QString& raw)
{
    for (auto range : allRadarRanges()) {
        if (rawValue(range) == raw)
            return range;
    }
    return std::nullopt;
}

std::optional<RadarPlaybackMode> radarPlaybackModeFromRaw(const QString& raw)
{
    for (auto mode : allRadarPlaybackModes()) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

QList<RadarRange> allRadarRanges()
{
    return {RadarRange::ThreeHours, RadarRange::TwelveHours};
}

QList<RadarPlaybackMode> allRadarPlaybackModes()
{
    return {RadarPlaybackMode::Animation, RadarPlaybackMode::Live};
}
