#pragma once

#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "TestData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace AgencyLists {

inline const QString kN1 = QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N1.json");

// The fake agency answers the three frame lists with the sample data.
inline void serve(FakeHttpServer& server)
{
    for (const char* name :
         {"nowc/targetTimes_N1.json", "nowc/targetTimes_N2.json", "rasrf/targetTimes.json"}) {
        server.setRoute(
            QStringLiteral("/bosai/jmatile/data/") + QLatin1String(name),
            FakeResponse::json(TestData::read(QStringLiteral("jma/") + QLatin1String(name))));
    }
}

// When an agency listing each 5-minute time `phase` seconds after it, give or take 2 s, has
// listed `slot` (seconds since the epoch, a multiple of 300).
inline qint64 listedAt(qint64 slot, int phase)
{
    return slot + phase + (slot / 300 * 7919) % 5 - 2;
}

// The newest time such an agency lists at the clock's now.
inline qint64 newestListed(const FakeClock& clock, int phase)
{
    qint64 slot = clock.now().toSecsSinceEpoch() / 300 * 300;
    while (listedAt(slot, phase) > clock.now().toSecsSinceEpoch())
        slot -= 300;
    return slot;
}

// The frame lists of that agency, made at each request from the clock: the last hour of
// observations and the nowcast of the hour after.
inline void servePublishing(FakeHttpServer& server, const FakeClock& clock, int phase)
{
    const auto stamp = [](qint64 secs) {
        return QDateTime::fromSecsSinceEpoch(secs, QTimeZone::utc()).toString(u"yyyyMMddHHmmss");
    };
    server.setRoute(QStringLiteral("/bosai/jmatile/data/rasrf/targetTimes.json"),
                    FakeResponse::json("[]"));
    server.setHandler(
        [&clock, phase, stamp](const RecordedRequest& request) -> std::optional<FakeResponse> {
            const bool observed = request.path == kN1;
            if (!observed && !request.path.endsWith(u"nowc/targetTimes_N2.json"))
                return std::nullopt;
            const qint64 newest = newestListed(clock, phase);
            QJsonArray list;
            for (int i = 0; i <= 12; ++i) {
                const qint64 valid = observed ? newest - 300 * i : newest + 300 * (i + 1);
                list.append(QJsonObject{{u"basetime"_qs, stamp(observed ? valid : newest)},
                                        {u"validtime"_qs, stamp(valid)},
                                        {u"elements"_qs, QJsonArray{u"hrpns"_qs}}});
            }
            return FakeResponse::json(QJsonDocument(list).toJson(QJsonDocument::Compact));
        });
}

} // namespace AgencyLists
