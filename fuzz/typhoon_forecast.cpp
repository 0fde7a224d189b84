// A cyclone's forecast document.
#include "FuzzSupport.h"
#include "platform/Gzip.h"
#include "typhoon/TyphoonForecastEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)decodeTyphoonForecast(Gzip::inflateIfCompressed(fuzz::bytes(data, size)));
    return 0;
}
