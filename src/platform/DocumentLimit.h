#pragma once

#include <QByteArray>

// The largest document any service reads, after inflating. The largest real ones (a sixteen-
// day forecast, a busy hour of lightning, the release feed) stay well below 1 MiB; anything
// beyond this bound is refused before it is parsed, and a gzip body is not inflated past it,
// so a hostile or broken server cannot make the program hold gigabytes.
namespace DocumentLimit {

inline constexpr qsizetype kMaxBytes = qsizetype(10) * 1024 * 1024;

inline bool exceeds(const QByteArray& bytes)
{
    return bytes.size() > kMaxBytes;
}

} // namespace DocumentLimit
