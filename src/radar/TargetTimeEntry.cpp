#include "radar/TargetTimeEntry.h"

#include "platform/ErrorText.h"
#include "platform/JsonReader.h"

Expected<QList<TargetTimeEntry>> decodeTargetTimes(const QByteArray& json)
{
    return json::decodeRows<TargetTimeEntry>(
        json, [](const QJsonValue& value, JsonDecodeStatus& status, const QString& where) {
            json::ObjectReader row(value, status, where);
            TargetTimeEntry entry;
            entry.basetime = row.string(QLatin1String("basetime"));
            entry.validtime = row.string(QLatin1String("validtime"));
            entry.elements = row.stringArray(QLatin1String("elements"));
            return entry;
        });
}
