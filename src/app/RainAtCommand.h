#pragma once

#include "app/CommandLine.h"
#include "geo/GeoTypes.h"
#include "locations/SavedLocation.h"

#include <QString>

#include <optional>

// `shiguren --rain-at PLACE [--json]`: the rain outlook at a place, printed for scripts and
// status bars, with the program's services and disk cache and no window.
namespace RainAtCommand {

struct Place {
    QString name;
    GeoCoordinate coordinate;
};

// "LAT,LON" inside the radar's coverage, else the saved place of that name; the refusal
// in Japanese when neither.
struct PlaceOrRefusal {
    std::optional<Place> place;
    QString refusal;
};
PlaceOrRefusal resolve(const QString& spec, const SavedLocations& saved);

// Needs a QCoreApplication; returns the exit status.
int run(const CommandLine::Request& request);

} // namespace RainAtCommand
