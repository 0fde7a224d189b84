#include "prefecture/PrefectureLabel.h"

#include "platform/ErrorText.h"
#include "platform/JsonReader.h"

Expected<QList<PrefectureLabel>> decodePrefectureLabels(const QByteArray& json)
{
    JsonDecodeStatus status;
    const QJsonArray rows = json::rootArray(json::parse(json, status), status);
    QList<PrefectureLabel> labels;
    labels.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size() && status.ok(); ++i) {
        json::ObjectReader row(rows.at(i), status, QStringLiteral("[%1]").arg(i));
        PrefectureLabel label;
        label.id = row.integer(QLatin1String("id"));
        label.name = row.string(QLatin1String("name"));
        label.lat = row.number(QLatin1String("lat"));
        label.lon = row.number(QLatin1String("lon"));
        labels.append(std::move(label));
    }
    if (!status.ok())
        return Failure{ErrorText::dataFormat()};
    return labels;
}
