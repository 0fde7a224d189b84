#pragma once

#include "geo/GeoTypes.h"

#include <QObject>
#include <QString>

// The device's location service as CurrentLocationProvider needs it: whether access is
// granted, one position at a time, and what went wrong. Signals arrive on the GUI thread.
class PositionSource : public QObject {
    Q_OBJECT

public:
    enum class Authorization {
        notDetermined, // not asked yet; requestAuthorization() asks
        denied,        // the user or a policy refuses access
        authorized,
    };

    using QObject::QObject;
    ~PositionSource() override;

    virtual Authorization authorization() const = 0;
    // The answer comes through authorizationChanged.
    virtual void requestAuthorization() = 0;
    // One coarse fix (about a kilometre), not continuous updates; the answer comes through
    // positionUpdated, errorOccurred or authorizationChanged(denied).
    virtual void requestPosition() = 0;

Q_SIGNALS:
    void positionUpdated(GeoCoordinate coordinate);
    // A Japanese description of the failure, ready to be shown.
    void errorOccurred(const QString& message);
    void authorizationChanged(PositionSource::Authorization authorization);
};
