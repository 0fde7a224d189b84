#include "radar/TimelineAssembly.h"

#include "radar/JMATime.h"

#include <QMap>

#include <algorithm>
#include <functional>
#include <map>

namespace TimelineAssembly {

namespace {

const QString kNowcastElement = QStringLiteral("hrpns");
const QString kAnalysisElement = QStringLiteral("rasrf");

void sortByDate(RadarFrames& frames)
{
    std::stable_sort(frames.begin(), frames.end(),
                     [](const RadarFrame& a, const RadarFrame& b) { return a.date < b.date; });
}

RadarFrame makeFrame(const TargetTimeEntry& entry, RadarProduct product, RadarFrame::Kind kind,
                     const QDateTime& date)
{
    return RadarFrame{product, entry.basetime, entry.validtime, kind, date};
}

} // namespace

RadarFrames framesFrom(const QList<TargetTimeEntry>& entries, const QString& element,
                       RadarProduct product, RadarFrame::Kind kind)
{
    RadarFrames frames;
    for (const TargetTimeEntry& entry : entries) {
        if (!entry.hasElement(element))
            continue;
        if (auto date = JMATime::parse(entry.validtime))
            frames.append(makeFrame(entry, product, kind, *date));
    }
    return frames;
}

RadarFrames merge(const RadarFrames& observed, const RadarFrames& forecast)
{
    RadarFrames byBase = forecast;
    std::stable_sort(byBase.begin(), byBase.end(), [](const RadarFrame& a, const RadarFrame& b) {
        return a.basetime < b.basetime;
    });
    QMap<QString, RadarFrame> byValidtime;
    for (const RadarFrame& frame : byBase)
        byValidtime.insert(frame.validtime, frame);
    for (const RadarFrame& frame : observed)
        byValidtime.insert(frame.validtime, frame);
    RadarFrames result = byValidtime.values();
    sortByDate(result);
    return result;
}

RadarFrames newestRunsFirst(const RadarFrames& forecasts)
{
    std::map<QString, RadarFrames, std::greater<>> runs; // newest basetime first
    for (const RadarFrame& frame : forecasts)
        runs[frame.basetime].append(frame);

    RadarFrames taken;
    std::optional<QDateTime> latestTaken;
    for (const auto& [basetime, run] : runs) {
        const std::optional<QDateTime> boundary = latestTaken;
        for (const RadarFrame& frame : run) {
            if (boundary && frame.date <= *boundary)
                continue;
            taken.append(frame);
            if (!latestTaken || frame.date > *latestTaken)
                latestTaken = frame.date;
        }
    }
    // One frame per valid time even if a run lists a time twice.
    return merge({}, taken);
}

NowcastPlan planNowcast(const QList<TargetTimeEntry>& list1, const QList<TargetTimeEntry>& list2,
                        double forecastHorizonHours)
{
    const RadarFrames observed =
        framesFrom(list1, kNowcastElement, RadarProduct::Nowcast, RadarFrame::Kind::Observation);
    const RadarFrames forecast =
        framesFrom(list2, kNowcastElement, RadarProduct::Nowcast, RadarFrame::Kind::Forecast);
    const double hours = std::clamp(forecastHorizonHours, 1.0, 15.0);

    if (observed.isEmpty())
        return NowcastPlan{merge(observed, forecast), std::nullopt};

    QDateTime latest = observed.first().date;
    for (const RadarFrame& frame : observed)
        latest = std::max(latest, frame.date);

    const QDateTime cut = latest.addSecs(qint64(std::min(hours, 1.0) * 3600.0));
    RadarFrames kept;
    for (const RadarFrame& frame : forecast) {
        if (frame.date <= cut)
            kept.append(frame);
    }

    NowcastPlan plan{merge(observed, kept), std::nullopt};
    if (hours > 1.0)
        plan.extended = ExtendedWindow{cut, latest.addMSecs(qint64(hours * 3600.0 * 1000.0))};
    return plan;
}

RadarFrames extendedForecastFrames(const QList<TargetTimeEntry>& rasrf,
                                   const ExtendedWindow& window)
{
    QList<TargetTimeEntry> forecasts;
    for (const TargetTimeEntry& entry : rasrf) {
        if (!entry.isObservation())
            forecasts.append(entry);
    }
    const RadarFrames runs = newestRunsFirst(framesFrom(
        forecasts, kAnalysisElement, RadarProduct::Analysis, RadarFrame::Kind::Forecast));
    RadarFrames result;
    for (const RadarFrame& frame : runs) {
        if (frame.date > window.after && frame.date <= window.until)
            result.append(frame);
    }
    sortByDate(result);
    return result;
}

RadarFrames analysisTimeline(const QList<TargetTimeEntry>& rasrf)
{
    QList<TargetTimeEntry> analyses;
    QList<TargetTimeEntry> forecasts;
    for (const TargetTimeEntry& entry : rasrf)
        (entry.isObservation() ? analyses : forecasts).append(entry);
    const RadarFrames observed = framesFrom(analyses, kAnalysisElement, RadarProduct::Analysis,
                                            RadarFrame::Kind::Observation);
    const RadarFrames forecast =
        framesFrom(forecasts, kAnalysisElement, RadarProduct::Analysis, RadarFrame::Kind::Forecast);
    return merge(observed, newestRunsFirst(forecast));
}

} // namespace TimelineAssembly
