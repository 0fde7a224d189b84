#include "lightning/LidenFeature.h"

#include "platform/JsonReader.h"

Expected<QList<LidenFeature>> decodeLidenFeatures(const QByteArray& json)
{
    JsonDecodeStatus status;
    json::ObjectReader collection(json::rootObject(json::parse(json, status), status), status,
                                  QStringLiteral("collection"));
    const QJsonArray features = collection.array(QLatin1String("features"));
    QList<LidenFeature> result;
    result.reserve(features.size());
    for (qsizetype i = 0; i < features.size() && status.ok(); ++i) {
        const QString where = QStringLiteral("features[%1]").arg(i);
        json::ObjectReader feature(features.at(i), status, where);
        json::ObjectReader geometry(feature.object(QLatin1String("geometry")), status,
                                    where + QStringLiteral(".geometry"));
        json::ObjectReader properties(feature.object(QLatin1String("properties")), status,
                                      where + QStringLiteral(".properties"));
        LidenFeature decoded;
        const QJsonArray coordinates = geometry.array(QLatin1String("coordinates"));
        decoded.coordinates.reserve(coordinates.size());
        for (qsizetype c = 0; c < coordinates.size(); ++c)
            decoded.coordinates.append(json::numberAt(coordinates, c, status));
        decoded.id = properties.string(QLatin1String("id"));
        decoded.obstimeJST = properties.string(QLatin1String("obstimeJST"));
        decoded.type = properties.integer(QLatin1String("type"));
        result.append(std::move(decoded));
    }
    if (!status.ok())
        return status.failure();
    return result;
}
