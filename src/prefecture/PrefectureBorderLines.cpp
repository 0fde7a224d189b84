#include "prefecture/PrefectureBorderLines.h"

#include "platform/JsonReader.h"

#include <optional>

namespace {

GeoCoordinate coordinateOf(const QJsonValue& value, JsonDecodeStatus& status)
{
    const QJsonArray position = value.toArray();
    if (!value.isArray() || position.size() < 2) {
        status.fail(QStringLiteral("a position is not an array of two or more numbers"));
        return {};
    }
    for (qsizetype i = 2; i < position.size(); ++i)
        (void)json::numberAt(position, i, status); // ignored, but still numbers
    return GeoCoordinate{json::numberAt(position, 1, status), json::numberAt(position, 0, status)};
}

BorderLine lineOf(const QJsonValue& value, JsonDecodeStatus& status)
{
    BorderLine line;
    if (!value.isArray()) {
        status.fail(QStringLiteral("a line is not an array of positions"));
        return line;
    }
    const QJsonArray positions = value.toArray();
    line.reserve(positions.size());
    for (const QJsonValue& position : positions)
        line.append(coordinateOf(position, status));
    return line;
}

} // namespace

Expected<QList<BorderLine>> decodePrefectureBorderLines(const QByteArray& json)
{
    JsonDecodeStatus status;
    std::optional<QString> unsupported;
    json::ObjectReader collection(json::rootObject(json::parse(json, status), status), status,
                                  QStringLiteral("collection"));
    const QJsonArray features = collection.array(QLatin1String("features"));
    QList<BorderLine> lines;
    for (qsizetype i = 0; i < features.size() && status.ok(); ++i) {
        const QString where = QStringLiteral("features[%1]").arg(i);
        json::ObjectReader feature(features.at(i), status, where);
        json::ObjectReader geometry(feature.object(QLatin1String("geometry")), status,
                                    where + QStringLiteral(".geometry"));
        const QString type = geometry.string(QLatin1String("type"));
        if (!status.ok())
            break;
        if (type != u"LineString" && type != u"MultiLineString") {
            unsupported = QStringLiteral("未対応のジオメトリ種別: ") + type;
            status.fail(*unsupported);
            break;
        }
        const QJsonArray coordinates = geometry.array(QLatin1String("coordinates"));
        if (type == u"LineString") {
            lines.append(lineOf(coordinates, status));
        } else {
            for (const QJsonValue& part : coordinates)
                lines.append(lineOf(part, status));
        }
    }
    if (!status.ok())
        return unsupported ? Failure{*unsupported} : status.failure();
    return lines;
}
