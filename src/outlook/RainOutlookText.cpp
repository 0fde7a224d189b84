#include "outlook/RainOutlookText.h"

#include "outlook/RainBand.h"
#include "tiles/HazardAtPlace.h"

#include <algorithm>
#include <cmath>

namespace RainOutlookText {
namespace {

const RainOutlookStep* firstStep(const QList<RainOutlookStep>& steps, bool raining)
{
    const auto it = std::find_if(steps.cbegin(), steps.cend(), [raining](const RainOutlookStep& s) {
        return (s.band > 0) == raining;
    });
    return it == steps.cend() ? nullptr : &*it;
}

int strongestBand(const QList<RainOutlookStep>& steps, int from)
{
    int band = from;
    for (const RainOutlookStep& step : steps)
        band = std::max(band, step.band);
    return band;
}

} // namespace

bool isStale(const RainOutlook& outlook, const QDateTime& now)
{
    const std::optional<RainOutlookStep> current = outlook.current();
    if (!current || !current->known)
        return true;
    if (outlook.dataTime.secsTo(now) > kStaleSeconds)
        return true;
    return outlook.nextHour().isEmpty();
}

int roundedMinutes(const QDateTime& now, const QDateTime& time)
{
    const double minutes = double(now.secsTo(time)) / 60.0;
    return std::max(5, int(std::lround(minutes / 5.0)) * 5);
}

QString sentence(const RainOutlook& outlook, const QDateTime& now)
{
    if (isStale(outlook, now))
        return QStringLiteral("最新のレーダー情報がないため、見込みを出せません");

    const int currentBand = outlook.current()->band;
    const QList<RainOutlookStep> hour = outlook.nextHour();
    const int strongest = strongestBand(hour, currentBand);

    QString text;
    if (currentBand > 0) {
        if (const RainOutlookStep* dry = firstStep(hour, false))
            text = QStringLiteral("雨は約%1分後にやむ見込み").arg(roundedMinutes(now, dry->time));
        else
            text = QStringLiteral("雨が続く見込み（最大 %1）").arg(RainBand::rangeText(strongest));
    } else if (const RainOutlookStep* wet = firstStep(hour, true)) {
        text = QStringLiteral("約%1分後から雨の見込み（%2）")
                   .arg(roundedMinutes(now, wet->time))
                   .arg(RainBand::rangeText(strongest));
    } else {
        text = QStringLiteral("この先1時間、雨の予報はありません");
    }
    if (RainBand::lowerBound(strongest) >= 20)
        text += QStringLiteral("。強い雨に注意");
    return text;
}

QString fullText(const RainOutlook& outlook, const QDateTime& now)
{
    QString text = sentence(outlook, now);
    if (isStale(outlook, now))
        return text;
    for (const QString& line : {HazardAtPlace::thunderLine(outlook.thunderLevel),
                                HazardAtPlace::tornadoLine(outlook.tornadoLevel)}) {
        if (!line.isEmpty())
            text += QStringLiteral("。") + line;
    }
    return text;
}

} // namespace RainOutlookText
