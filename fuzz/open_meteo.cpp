// The point forecast's answer.
#include "FuzzSupport.h"
#include "weather/OpenMeteoResponse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)OpenMeteoResponse::decode(fuzz::bytes(data, size));
    return 0;
}
