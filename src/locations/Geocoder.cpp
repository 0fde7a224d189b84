#include "locations/Geocoder.h"

#include "locations/GsiGeocoder.h"

Geocoder::~Geocoder() = default;

std::shared_ptr<Geocoder> Geocoder::createDefault()
{
    return std::make_shared<GsiGeocoder>();
}
