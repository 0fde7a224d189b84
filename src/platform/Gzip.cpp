#include "platform/Gzip.h"

#include <zlib.h>

namespace Gzip {

bool looksCompressed(const QByteArray& bytes)
{
    return bytes.size() >= 2 && quint8(bytes.at(0)) == 0x1f && quint8(bytes.at(1)) == 0x8b;
}

QByteArray inflateIfCompressed(const QByteArray& bytes)
{
    if (!looksCompressed(bytes))
        return bytes;

    z_stream stream{};
    // 16 + MAX_WBITS: expect a gzip header and trailer.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return bytes;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());

    QByteArray out;
    char chunk[16384];
    int status = Z_OK;
    // A bomb guard: no agency document comes near 256 MiB.
    constexpr qsizetype kMaxInflated = qsizetype(256) * 1024 * 1024;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof(chunk);
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            break;
        out.append(chunk, qsizetype(sizeof(chunk) - stream.avail_out));
        if (out.size() > kMaxInflated) {
            status = Z_MEM_ERROR;
            break;
        }
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END ? out : bytes;
}

} // namespace Gzip
