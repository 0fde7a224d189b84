#pragma once

#include "FakeHttpServer.h"
#include "TestData.h"

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

} // namespace AgencyLists
