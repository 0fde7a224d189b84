#include "app/AppSettings.h"

#include "platform/Appearance.h"
#include "platform/PropertyHelpers.h"

#include <QSettings>

namespace {

QString keyFor(const char* name)
{
    return QLatin1String("Shiguren.") + QLatin1String(name);
}

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

AppSettings::AppSettings(QSettings* defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    m_theme = themePreferenceFromRaw(readString("theme")).value_or(ThemePreference::System);
    m_framesPerSecond = readNumber("framesPerSecond", m_framesPerSecond);
    m_loopPause = readNumber("loopPause", m_loopPause);
    m_stepMinutes = readNumber("stepMinutes", m_stepMinutes);
    m_radarOpacity = readNumber("radarOpacity", m_radarOpacity);
    m_range = radarRangeFromRaw(readString("range")).value_or(RadarRange::ThreeHours);
    m_includeForecast = readBool("includeForecast", m_includeForecast);
    m_forecastHorizonHours = readNumber("forecastHorizonHours", m_forecastHorizonHours);
    m_showTyphoon = readBool("showTyphoon", m_showTyphoon);
    m_showLightning = readBool("showLightning", m_showLightning);
    m_showThunder = readBool("showThunder", m_showThunder);
    m_showTornado = readBool("showTornado", m_showTornado);
    m_showPrefectureBorders = readBool("showPrefectureBorders", m_showPrefectureBorders);
    m_showPrefectureLabels = readBool("showPrefectureLabels", m_showPrefectureLabels);
    m_showRangeCircles = readBool("showRangeCircles", m_showRangeCircles);
    m_playbackMode =
        radarPlaybackModeFromRaw(readString("playbackMode")).value_or(RadarPlaybackMode::Animation);
    m_textScale = readNumber("textScale", m_textScale);
    m_rainAlertsEnabled = readBool("rainAlertsEnabled", m_rainAlertsEnabled);
    m_rainAlertMinimumMmPerHour =
        readNumber("rainAlertMinimumMmPerHour", m_rainAlertMinimumMmPerHour);
    m_rainAlertLeadMinutes = readNumber("rainAlertLeadMinutes", m_rainAlertLeadMinutes);
    m_keepRunningInTray = readBool("keepRunningInTray", m_keepRunningInTray);
}

double AppSettings::readNumber(const char* name, double fallback) const
{
    const QVariant value = m_defaults->value(keyFor(name));
    return isNumber(value) ? value.toDouble() : fallback;
}

bool AppSettings::readBool(const char* name, bool fallback) const
{
    const QVariant value = m_defaults->value(keyFor(name));
    return value.typeId() == QMetaType::Bool ? value.toBool() : fallback;
}

QString AppSettings::readString(const char* name) const
{
    // A non-string (say a byte array spelling "dark") must not convert into a valid choice.
    const QVariant value = m_defaults->value(keyFor(name));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

void AppSettings::store(const char* name, const QVariant& value)
{
    m_defaults->setValue(keyFor(name), value);
}

template <typename T>
void AppSettings::assign(T& field, T value, const char* name, const QVariant& stored,
                         void (AppSettings::*changed)())
{
    const bool didChange = assignIfChanged(field, value);
    // Written even when unchanged, so the store always holds what the user last chose.
    store(name, stored);
    if (didChange)
        Q_EMIT(this->*changed)();
}

void AppSettings::setTheme(ThemePreference theme)
{
    assign(m_theme, theme, "theme", rawValue(theme), &AppSettings::themeChanged);
    applyAppearance();
}

void AppSettings::setFramesPerSecond(double value)
{
    assign(m_framesPerSecond, value, "framesPerSecond", value,
           &AppSettings::framesPerSecondChanged);
}

void AppSettings::setLoopPause(double value)
{
    assign(m_loopPause, value, "loopPause", value, &AppSettings::loopPauseChanged);
}

void AppSettings::setStepMinutes(double value)
{
    assign(m_stepMinutes, value, "stepMinutes", value, &AppSettings::stepMinutesChanged);
}

void AppSettings::setRadarOpacity(double value)
{
    assign(m_radarOpacity, value, "radarOpacity", value, &AppSettings::radarOpacityChanged);
}

void AppSettings::setRange(RadarRange range)
{
    assign(m_range, range, "range", rawValue(range), &AppSettings::rangeChanged);
}

void AppSettings::setPlaybackMode(RadarPlaybackMode mode)
{
    assign(m_playbackMode, mode, "playbackMode", rawValue(mode), &AppSettings::playbackModeChanged);
}

void AppSettings::setIncludeForecast(bool value)
{
    assign(m_includeForecast, value, "includeForecast", value,
           &AppSettings::includeForecastChanged);
}

void AppSettings::setForecastHorizonHours(double value)
{
    assign(m_forecastHorizonHours, value, "forecastHorizonHours", value,
           &AppSettings::forecastHorizonHoursChanged);
}

void AppSettings::setShowTyphoon(bool value)
{
    assign(m_showTyphoon, value, "showTyphoon", value, &AppSettings::showTyphoonChanged);
}

void AppSettings::setShowLightning(bool value)
{
    assign(m_showLightning, value, "showLightning", value, &AppSettings::showLightningChanged);
}

void AppSettings::setShowThunder(bool value)
{
    assign(m_showThunder, value, "showThunder", value, &AppSettings::showThunderChanged);
}

void AppSettings::setShowTornado(bool value)
{
    assign(m_showTornado, value, "showTornado", value, &AppSettings::showTornadoChanged);
}

void AppSettings::setShowPrefectureBorders(bool value)
{
    assign(m_showPrefectureBorders, value, "showPrefectureBorders", value,
           &AppSettings::showPrefectureBordersChanged);
}

void AppSettings::setShowPrefectureLabels(bool value)
{
    assign(m_showPrefectureLabels, value, "showPrefectureLabels", value,
           &AppSettings::showPrefectureLabelsChanged);
}

void AppSettings::setShowRangeCircles(bool value)
{
    assign(m_showRangeCircles, value, "showRangeCircles", value,
           &AppSettings::showRangeCirclesChanged);
}

void AppSettings::setTextScale(double value)
{
    assign(m_textScale, value, "textScale", value, &AppSettings::textScaleChanged);
}

void AppSettings::setRainAlertsEnabled(bool value)
{
    assign(m_rainAlertsEnabled, value, "rainAlertsEnabled", value,
           &AppSettings::rainAlertsEnabledChanged);
}

void AppSettings::setRainAlertMinimumMmPerHour(double value)
{
    assign(m_rainAlertMinimumMmPerHour, value, "rainAlertMinimumMmPerHour", value,
           &AppSettings::rainAlertMinimumMmPerHourChanged);
}

void AppSettings::setRainAlertLeadMinutes(double value)
{
    assign(m_rainAlertLeadMinutes, value, "rainAlertLeadMinutes", value,
           &AppSettings::rainAlertLeadMinutesChanged);
}

void AppSettings::setKeepRunningInTray(bool value)
{
    assign(m_keepRunningInTray, value, "keepRunningInTray", value,
           &AppSettings::keepRunningInTrayChanged);
}

void AppSettings::applyAppearance()
{
    Appearance::instance().apply(toAppearanceMode(m_theme));
}
