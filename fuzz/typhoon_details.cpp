// A cyclone's specifications document.
#include "FuzzSupport.h"
#include "platform/Gzip.h"
#include "typhoon/TyphoonSpecEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)decodeTyphoonSpecifications(Gzip::inflateIfCompressed(fuzz::bytes(data, size)));
    return 0;
}
