#include "radar/TargetTimeEntry.h"

#include "platform/ErrorText.h"
#include "platform/JsonReader.h"

Expected<QList<TargetTimeEntry>> decodeTargetTimes(const QByteArray& json)
{
    JsonDecodeStatus status;
    const QJsonArray rows = json::rootArray(json::parse(json, status), status);
    QList<TargetTimeEntry> entries;
    entries.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size() && status.ok(); ++i) {
        json::ObjectReader row(rows.at(i), status, QStringLiteral("[%1]").arg(i));
        TargetTimeEntry entry;
        entry.basetime = row.string(QLatin1String("basetime"));
        entry.validtime = row.string(QLatin1String("validtime"));
        entry.elements = row.stringArray(QLatin1String("elements"));
        entries.append(std::move(entry));
    }
    if (!status.ok())
        return Failure{ErrorText::dataFormat()};
    return entries;
}
