// The radar tile path: a tile's bytes decoded as PNG, then composed with its neighbours
// (odd zooms) or cut out and enlarged (zooms above 10), which runs the palette resampler on
// palette pictures and the painter on others. The trailing bytes choose the operation and
// its arguments, within what the tile pictures ever ask for; the rest is the tile.
#include "FuzzSupport.h"
#include "tiles/TileImages.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool composeFour = input.ConsumeBool();
    const int side = input.ConsumeIntegralInRange(256, 512);
    if (composeFour) {
        // The other three quadrants: the same tile, a missing one or no bytes at all.
        const int others = input.ConsumeIntegralInRange(0, 26);
        const QByteArray tile = fuzz::bytes(data, input.remaining_bytes());
        std::array<std::optional<QByteArray>, 4> quadrants{tile, tile, tile, tile};
        int choice = others;
        for (size_t i = 1; i < quadrants.size(); ++i, choice /= 3) {
            if (choice % 3 == 1)
                quadrants[i].reset();
            else if (choice % 3 == 2)
                quadrants[i] = QByteArray();
        }
        (void)TileImages::isEmptyTile(tile);
        (void)TileImages::compose(quadrants, side);
        return 0;
    }
    const int levels = input.ConsumeIntegralInRange(1, 8); // zooms 11 to 18
    const int scale = 1 << levels;
    const int subX = input.ConsumeIntegralInRange(0, scale - 1);
    const int subY = input.ConsumeIntegralInRange(0, scale - 1);
    const bool enlarge = input.ConsumeBool();
    const QByteArray tile = fuzz::bytes(data, input.remaining_bytes());
    (void)TileImages::crop(tile, scale, subX, subY, enlarge ? side : 0);
    return 0;
}
