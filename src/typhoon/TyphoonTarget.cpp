#include "typhoon/TyphoonTarget.h"

#include "platform/ErrorText.h"
#include "platform/JsonReader.h"

Expected<QList<TyphoonTarget>> decodeTyphoonTargets(const QByteArray& json)
{
    return json::decodeRows<TyphoonTarget>(
        json, [](const QJsonValue& value, JsonDecodeStatus& status, const QString& where) {
            json::ObjectReader row(value, status, where);
            TyphoonTarget target;
            target.tropicalCyclone = row.string(QLatin1String("tropicalCyclone"));
            target.typhoonNumber = row.string(QLatin1String("typhoonNumber"));
            target.category = row.string(QLatin1String("category"));
            target.issue = row.string(QLatin1String("issue"));
            return target;
        });
}
