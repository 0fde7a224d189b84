// GSI's address search answer, and the ordering of its hits the place search applies.
#include "FuzzSupport.h"
#include "locations/GeocoderResponses.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Expected<QList<AddressSearchHit>> hits = decodeAddressSearch(fuzz::bytes(data, size));
    if (hits)
        (void)nearestDistinctHits(hits.value(), GeoCoordinate{35.681, 139.767}, 12);
    return 0;
}
