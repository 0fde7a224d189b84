#include "typhoon/TyphoonInfo.h"

#include "platform/AgencyTime.h"

#include <QTimeZone>

#include <algorithm>

namespace {

const QString kDepression = QStringLiteral("TD");
const QString kExtratropicalLow = QStringLiteral("LOW");

// Only [latitude, longitude] pairs are positions; anything else is skipped.
std::optional<TyphoonInfo::Point> pointOf(const TyphoonForecastEntry::Position& position)
{
    if (position.size() != 2)
        return std::nullopt;
    return TyphoonInfo::Point{position.at(0), position.at(1)};
}

template <typename Entry>
const Entry* firstWithHours(const QList<Entry>& entries, std::optional<qint64> hours)
{
    const auto it = std::find_if(entries.cbegin(), entries.cend(),
                                 [&](const Entry& entry) { return entry.advancedHours == hours; });
    return it == entries.cend() ? nullptr : &*it;
}

QList<TyphoonInfo::ForecastPoint> forecastPointsOf(const QList<TyphoonForecastEntry>& forecast)
{
    QList<TyphoonInfo::ForecastPoint> points;
    for (const TyphoonForecastEntry& entry : forecast) {
        if (!entry.advancedHours || *entry.advancedHours <= 0 || !entry.center)
            continue;
        const std::optional<TyphoonInfo::Point> center = pointOf(*entry.center);
        if (!center)
            continue;
        TyphoonInfo::ForecastPoint point;
        point.advancedHours = *entry.advancedHours;
        point.point = *center;
        if (entry.validTimeJst)
            point.validTime = AgencyTime::parseIso(*entry.validTimeJst);
        point.probabilityRadiusMeters = entry.probabilityRadius;
        points.append(point);
    }
    std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) {
        return a.advancedHours < b.advancedHours;
    });
    return points;
}

QString fallbackCategoryText(const QString& category)
{
    if (category == kDepression)
        return QStringLiteral("熱帯低気圧");
    if (category == kExtratropicalLow)
        return QStringLiteral("温帯低気圧");
    return QStringLiteral("台風");
}

// An optional sign and at least one ASCII digit, within the range of a 64-bit integer.
bool isDecimalInteger(const QString& text)
{
    const qsizetype start = text.startsWith(u'+') || text.startsWith(u'-') ? 1 : 0;
    if (text.size() <= start)
        return false;
    for (qsizetype i = start; i < text.size(); ++i) {
        if (text.at(i) < u'0' || text.at(i) > u'9')
            return false;
    }
    bool fits = false;
    (void)text.toLongLong(&fits, 10);
    return fits;
}

// The agency publishes four digits, year then number ("2409"), but calls it 台風9号.
QString numberForDisplay(const QString& typhoonNumber)
{
    if (typhoonNumber.size() == 4 && isDecimalInteger(typhoonNumber) &&
        typhoonNumber.at(0) != u'+' && typhoonNumber.at(0) != u'-')
        return QString::number(typhoonNumber.right(2).toInt());
    return typhoonNumber;
}

} // namespace

QDateTime TyphoonInfo::distantPast()
{
    return QDateTime(QDate(1, 1, 1), QTime(0, 0), QTimeZone::utc());
}

bool TyphoonInfo::isTyphoonCategory(const QString& code)
{
    return code != kDepression && code != kExtratropicalLow;
}

std::optional<TyphoonInfo> TyphoonInfo::make(const TyphoonTarget& target,
                                             const QList<TyphoonForecastEntry>& forecast,
                                             const QList<TyphoonSpecEntry>& specifications)
{
    const TyphoonForecastEntry* current = firstWithHours(forecast, qint64(0));
    if (!current)
        return std::nullopt;

    TyphoonInfo info;
    info.id = target.tropicalCyclone;
    info.typhoonNumber = target.typhoonNumber;
    info.category = target.category;
    info.isTyphoon = isTyphoonCategory(target.category);
    info.issue = AgencyTime::parseIso(target.issue).value_or(distantPast());

    for (const auto* track : {&current->trackPreTyphoon, &current->trackTyphoon}) {
        for (const TyphoonForecastEntry::Position& position : *track) {
            if (const auto point = pointOf(position))
                info.pastTrack.append(*point);
        }
    }
    if (current->center)
        info.currentPoint = pointOf(*current->center);
    if (current->galeWarningArea) {
        if (const auto center = pointOf(current->galeWarningArea->center))
            info.galeWarningArea = Circle{*center, current->galeWarningArea->radius};
    }
    info.forecastPoints = forecastPointsOf(forecast);

    const TyphoonSpecEntry* header = firstWithHours(specifications, std::optional<qint64>());
    const TyphoonSpecEntry* analysis = firstWithHours(specifications, qint64(0));
    if (header) {
        info.name = header->nameJp;
        info.categoryText = header->categoryJp.value_or(fallbackCategoryText(target.category));
    } else {
        info.categoryText = fallbackCategoryText(target.category);
    }
    if (analysis) {
        info.location = analysis->location;
        info.course = analysis->course;
        info.speedKmh = analysis->speedKmh;
        info.pressureHpa = analysis->pressure;
        info.maxSustainedMs = analysis->sustainedMs;
        info.maxGustMs = analysis->gustMs;
    }
    return info;
}

QString TyphoonInfo::displayName() const
{
    QString base;
    if (isDecimalInteger(typhoonNumber))
        base = QStringLiteral("台風") + numberForDisplay(typhoonNumber) + QStringLiteral("号");
    else if (isTyphoon)
        base = QStringLiteral("台風");
    else if (category == kExtratropicalLow)
        base = QStringLiteral("温帯低気圧");
    else
        base = QStringLiteral("熱帯低気圧");
    return name ? base + u' ' + *name : base;
}

QDebug operator<<(QDebug debug, const TyphoonInfo& info)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "TyphoonInfo(" << info.id << ", " << info.displayName() << ", "
                    << info.categoryText << ", " << info.forecastPoints.size() << " steps)";
    return debug;
}
