#include "tiles/PaletteResampler.h"

#include <algorithm>
#include <array>
#include <vector>

namespace PaletteResampler {

namespace {

using Table = std::array<QRgb, 256>;

// Indices past the colour table (a damaged tile) read as transparent.
Table premultipliedTable(const QImage& source)
{
    Table table{};
    const QList<QRgb> colours = source.colorTable();
    const int count = std::min<int>(int(colours.size()), int(table.size()));
    for (int i = 0; i < count; ++i)
        table[size_t(i)] = qPremultiply(colours[i]);
    return table;
}

constexpr quint32 kLanes = 0x00ff00ff;

// Each channel the rounded mean of four: two channels per 32-bit word, ten bits apiece.
QRgb mean4(QRgb a, QRgb b, QRgb c, QRgb d)
{
    const quint32 low = (a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes) + 0x00020002;
    const quint32 high = ((a >> 8) & kLanes) + ((b >> 8) & kLanes) + ((c >> 8) & kLanes) +
                         ((d >> 8) & kLanes) + 0x00020002;
    return ((low >> 2) & kLanes) | (((high >> 2) & kLanes) << 8);
}

// x weighted by (256 - w) and y by w, channel by channel. A weighted mean of premultiplied
// pixels stays premultiplied, and truncating every channel the same way keeps it so.
QRgb blend(QRgb x, QRgb y, quint32 w)
{
    const quint32 v = 256 - w;
    const quint32 low = (((x & kLanes) * v + (y & kLanes) * w) >> 8) & kLanes;
    const quint32 high = (((x >> 8) & kLanes) * v + ((y >> 8) & kLanes) * w) & ~kLanes;
    return low | high;
}

// Where target pixel i of `count * factor` takes its value from along one axis of `count`
// source pixels: the two neighbours of its centre and the second one's weight in 256ths.
struct Tap {
    int first = 0;
    int second = 0;
    quint32 weight = 0;
};

std::vector<Tap> taps(int offset, int count, int factor)
{
    std::vector<Tap> result(size_t(count) * size_t(factor));
    const int unit = 2 * factor; // source pixels are `unit` steps wide
    for (int i = 0; i < int(result.size()); ++i) {
        // The centre of target pixel i in source steps, relative to the first centre.
        const int position = 2 * i + 1 - factor;
        const int left = position >= 0 ? position / unit : -((unit - 1 - position) / unit);
        const int fraction = position - left * unit;
        Tap& tap = result[size_t(i)];
        tap.first = offset + std::clamp(left, 0, count - 1);
        tap.second = offset + std::clamp(left + 1, 0, count - 1);
        tap.weight = quint32((fraction * 256 + factor) / unit);
    }
    return result;
}

} // namespace

bool handles(const QImage& source)
{
    return source.format() == QImage::Format_Indexed8;
}

void halveInto(const QImage& source, QImage& target, QPoint at)
{
    const Table table = premultipliedTable(source);
    const int width = source.width() / 2;
    const int height = source.height() / 2;
    const QRect area = QRect(at, QSize(width, height)) & target.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* upper = source.constScanLine(2 * (y - at.y()));
        const uchar* lower = source.constScanLine(2 * (y - at.y()) + 1);
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const int sx = 2 * (x - at.x());
            const uchar a = upper[sx];
            const uchar b = upper[sx + 1];
            const uchar c = lower[sx];
            const uchar d = lower[sx + 1];
            out[x] = (a == b && a == c && a == d) ? table[a]
                                                  : mean4(table[a], table[b], table[c], table[d]);
        }
    }
}

void copyInto(const QImage& source, QImage& target, QPoint at)
{
    const Table table = premultipliedTable(source);
    const QRect area = QRect(at, source.size()) & target.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* in = source.constScanLine(y - at.y());
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            out[x] = table[in[x - at.x()]];
    }
}

QImage enlarge(const QImage& source, const QRect& square, int factor)
{
    if (factor < 1 || square.isEmpty() || !source.rect().contains(square))
        return {};
    QImage result(square.width() * factor, square.height() * factor,
                  QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return result;
    const Table table = premultipliedTable(source);
    const int width = result.width();
    const std::vector<Tap> columns = taps(square.left(), square.width(), factor);
    const std::vector<Tap> rows = taps(square.top(), square.height(), factor);

    // Separably: every source row of the square widened once, then each target row blended
    // from two widened rows. Neighbouring pixels mostly agree, and equal pixels need no blend.
    std::vector<QRgb> widened(size_t(square.height()) * size_t(width));
    for (int r = 0; r < square.height(); ++r) {
        const uchar* in = source.constScanLine(square.top() + r);
        QRgb* out = widened.data() + size_t(r) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const Tap& column = columns[size_t(x)];
            const uchar a = in[column.first];
            const uchar b = in[column.second];
            out[x] = a == b ? table[a] : blend(table[a], table[b], column.weight);
        }
    }
    for (int y = 0; y < result.height(); ++y) {
        const Tap& row = rows[size_t(y)];
        const QRgb* upper = widened.data() + size_t(row.first - square.top()) * size_t(width);
        const QRgb* lower = widened.data() + size_t(row.second - square.top()) * size_t(width);
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        const quint32 weight = row.weight;
        for (int x = 0; x < width; ++x) {
            const QRgb a = upper[x];
            const QRgb b = lower[x];
            out[x] = a == b ? a : blend(a, b, weight);
        }
    }
    return result;
}

} // namespace PaletteResampler
