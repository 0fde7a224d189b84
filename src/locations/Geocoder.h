#pragma once

#include "geo/GeoTypes.h"
#include "locations/GeocodedPlace.h"
#include "platform/Expected.h"
#include "platform/async/Task.h"

#include <QString>

#include <memory>

// Place search and reverse geocoding as the location services need them. Behind this
// interface so that tests can answer with places of their own. Used on the GUI thread.
class Geocoder {
public:
    virtual ~Geocoder();

    // Places matching free text, the nearest to `near` first where the service has no
    // sense of distance of its own. A postal code in the form "100-0001" is answered with
    // the places of the towns that code belongs to. An empty list means nothing was found.
    virtual async::Task<Expected<GeocodedPlaces>> search(QString text, GeoCoordinate near) = 0;
    // Places at a coordinate, the most specific first; empty at sea or outside Japan.
    virtual async::Task<Expected<GeocodedPlaces>> reverse(GeoCoordinate at) = 0;

    // The production geocoder: GSI's address search and reverse geocoder, Photon for what
    // GSI does not know, and the built-in postal code table.
    static std::shared_ptr<Geocoder> createDefault();
};
