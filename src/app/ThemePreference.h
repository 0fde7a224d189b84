#pragma once

#include "platform/Appearance.h"

#include <QList>
#include <QString>

#include <optional>

// The colour theme the user picked. Raw values are what the preferences store persists.
enum class ThemePreference { System, Light, Dark };

QString rawValue(ThemePreference theme);

// Exact, case-sensitive: any other text yields no value.
std::optional<ThemePreference> themePreferenceFromRaw(const QString& raw);

// Japanese name shown in the settings window.
QString displayLabel(ThemePreference theme);

// Every case in declaration order (the order the settings window offers them).
QList<ThemePreference> allThemePreferences();

Appearance::Mode toAppearanceMode(ThemePreference theme);
