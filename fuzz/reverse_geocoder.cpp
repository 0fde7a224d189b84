// GSI's reverse geocoder answer.
#include "FuzzSupport.h"
#include "locations/GeocoderResponses.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)decodeReverseGeocoder(fuzz::bytes(data, size));
    return 0;
}
