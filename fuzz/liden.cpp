// The lightning (LIDEN) GeoJSON document.
#include "FuzzSupport.h"
#include "lightning/LidenFeature.h"
#include "platform/Gzip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)decodeLidenFeatures(Gzip::inflateIfCompressed(fuzz::bytes(data, size)));
    return 0;
}
