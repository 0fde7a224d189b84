#include "typhoon/TyphoonTarget.h"

#include "platform/ErrorText.h"
#include "platform/JsonReader.h"

Expected<QList<TyphoonTarget>> decodeTyphoonTargets(const QByteArray& json)
{
    JsonDecodeStatus status;
    const QJsonArray rows = json::rootArray(json::parse(json, status), status);
    QList<TyphoonTarget> targets;
    targets.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size() && status.ok(); ++i) {
        json::ObjectReader row(rows.at(i), status, QStringLiteral("[%1]").arg(i));
        TyphoonTarget target;
        target.tropicalCyclone = row.string(QLatin1String("tropicalCyclone"));
        target.typhoonNumber = row.string(QLatin1String("typhoonNumber"));
        target.category = row.string(QLatin1String("category"));
        target.issue = row.string(QLatin1String("issue"));
        targets.append(std::move(target));
    }
    if (!status.ok())
        return Failure{ErrorText::dataFormat()};
    return targets;
}
