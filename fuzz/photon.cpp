// Photon's answer, the fallback place search.
#include "FuzzSupport.h"
#include "locations/GeocoderResponses.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)decodePhoton(fuzz::bytes(data, size));
    return 0;
}
