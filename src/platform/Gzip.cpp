#include "platform/Gzip.h"

#include "platform/DocumentLimit.h"

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
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof(chunk);
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            break;
        out.append(chunk, qsizetype(sizeof(chunk) - stream.avail_out));
        if (DocumentLimit::exceeds(out)) {
            // A bomb: stop here and hand on just enough for the decoder to refuse it as too
            // large, rather than the compressed bytes it would call malformed.
            out.truncate(DocumentLimit::kMaxBytes + 1);
            inflateEnd(&stream);
            return out;
        }
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END ? out : bytes;
}

} // namespace Gzip
