#include "outlook/RainSampler.h"

#include "outlook/RainBand.h"
#include "platform/Logging.h"
#include "tiles/TileImages.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSet>

#include <algorithm>
#include <array>
#include <limits>

namespace RainSampler {
namespace {

struct LegendColor {
    QRgb rgb;
    int band;
};

const std::array<LegendColor, RainBand::kHighest>& legendColors()
{
    static const std::array<LegendColor, RainBand::kHighest> colors = [] {
        std::array<LegendColor, RainBand::kHighest> table{};
        for (int band = 1; band <= RainBand::kHighest; ++band)
            table.at(size_t(band - 1)) = {RainBand::color(band).rgb() & RGB_MASK, band};
        return table;
    }();
    return colors;
}

int squaredDistance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

// Once per colour for the program's run: a changed palette at the agency shows in the log
// without flooding it from every frame. A palette holds at most 256 colours; past that many
// the tiles are not the agency's, and the set stops growing.
void warnUnknownOnce(QRgb color, int band)
{
    static QMutex lock;
    static QSet<QRgb> seen;
    {
        QMutexLocker locker(&lock);
        if (seen.contains(color) || seen.size() >= 256)
            return;
        seen.insert(color);
    }
    qCWarning(lcOutlook, "凡例にない色 #%08x を最も近い階級 %d として扱います", color, band);
}

} // namespace

TileMath::TilePixel pixelOf(GeoCoordinate place)
{
    return TileMath::tilePixel(place, kZoom);
}

int bandOfColor(QRgb color)
{
    if (qAlpha(color) == 0)
        return RainBand::kDry;
    const QRgb rgb = color & RGB_MASK;
    int nearest = RainBand::kDry;
    int best = std::numeric_limits<int>::max();
    for (const LegendColor& legend : legendColors()) {
        if (legend.rgb == rgb)
            return legend.band;
        const int distance = squaredDistance(legend.rgb, rgb);
        if (distance < best) {
            best = distance;
            nearest = legend.band;
        }
    }
    warnUnknownOnce(color, nearest);
    return nearest;
}

int bandAround(const QImage& image, int x, int y)
{
    if (image.isNull())
        return RainBand::kDry;
    const int x0 = std::clamp(x - 1, 0, image.width() - 1);
    const int x1 = std::clamp(x + 1, 0, image.width() - 1);
    const int y0 = std::clamp(y - 1, 0, image.height() - 1);
    const int y1 = std::clamp(y + 1, 0, image.height() - 1);

    int highest = RainBand::kDry;
    if (image.format() == QImage::Format_Indexed8) {
        const QList<QRgb> palette = image.colorTable();
        QList<int> bands(palette.size());
        std::transform(palette.cbegin(), palette.cend(), bands.begin(), bandOfColor);
        for (int row = y0; row <= y1; ++row) {
            const uchar* line = image.constScanLine(row);
            for (int column = x0; column <= x1; ++column) {
                const qsizetype index = line[column];
                if (index < bands.size())
                    highest = std::max(highest, bands.at(index));
            }
        }
        return highest;
    }
    for (int row = y0; row <= y1; ++row) {
        for (int column = x0; column <= x1; ++column)
            highest = std::max(highest, bandOfColor(image.pixel(column, row)));
    }
    return highest;
}

std::optional<int> bandAt(const QByteArray& tileBytes, int x, int y)
{
    const QImage image = TileImages::decode(tileBytes);
    if (image.isNull())
        return std::nullopt;
    return bandAround(image, x, y);
}

} // namespace RainSampler
