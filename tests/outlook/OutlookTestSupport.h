#pragma once

#include "TestTime.h"
#include "outlook/RainBand.h"
#include "radar/JMATime.h"
#include "radar/RadarFrame.h"

#include <QBuffer>
#include <QImage>
#include <QList>
#include <QPoint>

#include <utility>

// What the outlook tests share: palette tiles drawn with known bands at known pixels, and
// frames of the kinds the timeline makes.
namespace OutlookTest {

inline const QDateTime kNewest = testing::utc(2025, 8, 29, 5, 30);

// The agency's palette: two transparent entries, then the eight legend colours.
inline QList<QRgb> agencyPalette()
{
    QList<QRgb> palette{qRgba(255, 255, 255, 0), qRgba(255, 255, 255, 0)};
    for (int band = 1; band <= RainBand::kHighest; ++band)
        palette.append(RainBand::color(band).rgba());
    return palette;
}

// Pixels of a tile and their bands.
using Pixels = QList<std::pair<QPoint, int>>;

// A 256-pixel palette tile, dry but for `pixels`.
inline QImage paletteTile(const Pixels& pixels)
{
    QImage image(256, 256, QImage::Format_Indexed8);
    image.setColorTable(agencyPalette());
    image.fill(0);
    for (const auto& [at, band] : pixels)
        image.setPixel(at, uint(band == 0 ? 0 : band + 1));
    return image;
}

inline QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline RadarFrame frame(RadarProduct product, RadarFrame::Kind kind, const QDateTime& base,
                        int minutesAfterBase)
{
    const QDateTime valid = base.addSecs(qint64(minutesAfterBase) * 60);
    return RadarFrame{product, JMATime::format(base), JMATime::format(valid), kind, valid};
}

inline RadarFrame observation(int minutes, RadarProduct product = RadarProduct::Nowcast)
{
    return frame(product, RadarFrame::Kind::Observation, kNewest.addSecs(qint64(minutes) * 60), 0);
}

inline RadarFrame nowcast(int minutes)
{
    return frame(RadarProduct::Nowcast, RadarFrame::Kind::Forecast, kNewest, minutes);
}

// An hourly forecast of the analysis run based `baseMinutes` from the newest observation.
inline RadarFrame hourly(int baseMinutes, int hours)
{
    return frame(RadarProduct::Analysis, RadarFrame::Kind::Forecast,
                 kNewest.addSecs(qint64(baseMinutes) * 60), hours * 60);
}

// The three-hour range as the timeline makes it: observations every 5 minutes for
// `observedMinutes` up to the newest, nowcast for an hour, then `hours` hourly forecasts.
inline RadarFrames threeHourFrames(int observedMinutes, int hours)
{
    RadarFrames frames;
    for (int m = -observedMinutes; m <= 0; m += 5)
        frames.append(observation(m));
    for (int m = 5; m <= 60; m += 5)
        frames.append(nowcast(m));
    for (int h = 1; h <= hours; ++h)
        frames.append(hourly(-10, h + 1));
    return frames;
}

// The twelve-hour range: half-hourly analyses for ten hours, then an hourly run based half an
// hour before the newest nowcast observation.
inline RadarFrames twelveHourFrames()
{
    RadarFrames frames;
    for (int m = -600; m <= -30; m += 30)
        frames.append(observation(m, RadarProduct::Analysis));
    for (int h = 1; h <= 6; ++h)
        frames.append(hourly(-30, h));
    return frames;
}

} // namespace OutlookTest
