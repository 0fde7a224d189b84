#include "app/ThemePreference.h"

QString rawValue(ThemePreference theme)
{
    switch (theme) {
    case ThemePreference::System:
        return QStringLiteral("system");
    case ThemePreference::Light:
        return QStringLiteral("light");
    case ThemePreference::Dark:
        return QStringLiteral("dark");
    }
    return {};
}

std::optional<ThemePreference> themePreferenceFromRaw(const QString& raw)
{
    for (auto theme : allThemePreferences()) {
        if (rawValue(theme) == raw)
            return theme;
    }
    return std::nullopt;
}

QString displayLabel(ThemePreference theme)
{
    switch (theme) {
    case ThemePreference::System:
        return QStringLiteral("システム");
    case ThemePreference::Light:
        return QStringLiteral("ライト");
    case ThemePreference::Dark:
        return QStringLiteral("ダーク");
    }
    return {};
}

QList<ThemePreference> allThemePreferences()
{
    return {ThemePreference::System, ThemePreference::Light, ThemePreference::Dark};
}

Appearance::Mode toAppearanceMode(ThemePreference theme)
{
    switch (theme) {
    case ThemePreference::System:
        return Appearance::Mode::System;
    case ThemePreference::Light:
        return Appearance::Mode::Light;
    case ThemePreference::Dark:
        return Appearance::Mode::Dark;
    }
    return Appearance::Mode::System;
}
