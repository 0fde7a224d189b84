// The release feed, and the choice of the update it offers.
#include "update/Appcast.h"

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Expected<QList<AppcastItem>> items = Appcast::parse(fuzz::bytes(data, size));
    if (items)
        (void)Appcast::newestUpdate(items.value(), QStringLiteral("0.1.0"), QStringLiteral("1"));
    return 0;
}
