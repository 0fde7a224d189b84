#include "locations/QtPositionSource.h"

#include "platform/AppInfo.h"

#include <QGeoPositionInfo>
#include <QVariantMap>

std::unique_ptr<QtPositionSource> QtPositionSource::create()
{
    // GeoClue asks for the desktop file's id to show whom the user grants access.
    const QVariantMap parameters{{QStringLiteral("desktopId"), AppInfo::applicationId()}};
    QGeoPositionInfoSource* source =
        QGeoPositionInfoSource::createDefaultSource(parameters, nullptr);
    if (!source)
        return nullptr;
    return std::make_unique<QtPositionSource>(source);
}

QtPositionSource::QtPositionSource(QGeoPositionInfoSource* source)
    : m_source(source)
{
    m_source->setParent(this);
    // A coarse fix is all the program needs; network and cell positioning give about a
    // kilometre without waking satellite receivers.
    m_source->setPreferredPositioningMethods(
        QGeoPositionInfoSource::NonSatellitePositioningMethods);
    connect(m_source, &QGeoPositionInfoSource::positionUpdated, this,
            [this](const QGeoPositionInfo& info) {
                if (!info.isValid() || !info.coordinate().isValid())
                    return;
                Q_EMIT positionUpdated(
                    GeoCoordinate{info.coordinate().latitude(), info.coordinate().longitude()});
            });
    connect(m_source, &QGeoPositionInfoSource::errorOccurred, this,
            [this](QGeoPositionInfoSource::Error error) {
                if (error == QGeoPositionInfoSource::NoError)
                    return;
                if (error == QGeoPositionInfoSource::AccessError)
                    Q_EMIT authorizationChanged(Authorization::denied);
                else
                    Q_EMIT errorOccurred(errorMessage(error));
            });
}

QtPositionSource::~QtPositionSource()
{
    // No signal of a source being torn down may reach this half-destroyed object.
    m_source->disconnect(this);
}

void QtPositionSource::requestAuthorization()
{
    // Asking for a position is how access is requested; the answer is that position or
    // a refusal.
    requestPosition();
}

void QtPositionSource::requestPosition()
{
    m_source->requestUpdate(int(kRequestTimeout.count()));
}

QString QtPositionSource::errorMessage(QGeoPositionInfoSource::Error error)
{
    switch (error) {
    case QGeoPositionInfoSource::UpdateTimeoutError:
        return QStringLiteral("現在地を取得できませんでした（時間内に位置を特定できませんでした）");
    case QGeoPositionInfoSource::ClosedError:
        return QStringLiteral("現在地を取得できませんでした（位置情報サービスが停止しました）");
    default:
        break;
    }
    return QStringLiteral("現在地を取得できませんでした（位置情報サービスでエラーが発生しました）");
}
