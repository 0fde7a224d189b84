#pragma once

#include <QString>

// The two map panes of the main window. Their keys name the panes in the stored map
// regions, so they never change.
enum class MapPane { Detail, Overview };

inline QString mapPaneKey(MapPane pane)
{
    return pane == MapPane::Detail ? QStringLiteral("detail") : QStringLiteral("overview");
}
