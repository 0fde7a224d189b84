// The list of active tropical cyclones (targetTc.json).
#include "FuzzSupport.h"
#include "platform/Gzip.h"
#include "typhoon/TyphoonTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)decodeTyphoonTargets(Gzip::inflateIfCompressed(fuzz::bytes(data, size)));
    return 0;
}
