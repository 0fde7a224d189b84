#include "prefecture/PrefectureLabel.h"

#include "platform/ErrorText.h"
#include "platform/JsonReader.h"

Expected<QList<PrefectureLabel>> decodePrefectureLabels(const QByteArray& json)
{
    return json::decodeRows<PrefectureLabel>(
        json, [](const QJsonValue& value, JsonDecodeStatus& status, const QString& where) {
            json::ObjectReader row(value, status, where);
            PrefectureLabel label;
            label.id = row.integer(QLatin1String("id"));
            label.name = row.string(QLatin1String("name"));
            label.lat = row.number(QLatin1String("lat"));
            label.lon = row.number(QLatin1String("lon"));
            return label;
        });
}
