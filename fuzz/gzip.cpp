// The gzip inflater every agency document passes through: whatever comes in, what comes out
// stays within the document bound.
#include "platform/Gzip.h"

#include "FuzzSupport.h"
#include "platform/DocumentLimit.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    const QByteArray out = Gzip::inflateIfCompressed(input);
    if (out.size() > DocumentLimit::kMaxBytes + 1 && out != input)
        std::abort();
    return 0;
}
