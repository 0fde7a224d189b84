// The rain outlook's reading of one tile: the band around a place's pixel. The last two
// bytes are the pixel, the rest is the tile.
#include "FuzzSupport.h"
#include "outlook/RainSampler.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const int x = input.ConsumeIntegral<std::uint8_t>();
    const int y = input.ConsumeIntegral<std::uint8_t>();
    (void)RainSampler::bandAt(fuzz::bytes(data, input.remaining_bytes()), x, y);
    return 0;
}
