// The radar and lightning target-times lists (gzip-compressed or not, as the services read them).
#include "FuzzSupport.h"
#include "platform/Gzip.h"
#include "radar/TargetTimeEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Expected<QList<TargetTimeEntry>> entries =
        decodeTargetTimes(Gzip::inflateIfCompressed(fuzz::bytes(data, size)));
    if (entries) {
        for (const TargetTimeEntry& entry : entries.value())
            (void)entry.isObservation();
    }
    return 0;
}
