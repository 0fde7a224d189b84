#pragma once

#include <QString>

#include <optional>

// The two map panes of the main window. Their keys name the panes in the stored map
// regions, so they never change.
enum class MapPane { Detail, Overview };

inline QString mapPaneKey(MapPane pane)
{
    return pane == MapPane::Detail ? QStringLiteral("detail") : QStringLiteral("overview");
}

inline std::optional<MapPane> mapPaneFromKey(const QString& key)
{
    if (key == QLatin1String("detail"))
        return MapPane::Detail;
    if (key == QLatin1String("overview"))
        return MapPane::Overview;
    return std::nullopt;
}
