#include "TestData.h"

#include <QFile>
#include <QTest>

#include <zlib.h>

namespace TestData {

QString path(const QString& relative)
{
    return QStringLiteral(SHIGUREN_TEST_DATA_DIR "/") + relative;
}

QByteArray read(const QString& relative)
{
    QFile file(path(relative));
    if (!file.open(QIODevice::ReadOnly)) {
        QTest::qFail(qPrintable(QStringLiteral("missing fixture ") + relative), __FILE__, __LINE__);
        return {};
    }
    return file.readAll();
}

QByteArray gzipped(const QByteArray& bytes)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(bytes.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

QByteArray paddedJsonArray(qsizetype size)
{
    return '[' + QByteArray(size - 2, ' ') + ']';
}

} // namespace TestData
