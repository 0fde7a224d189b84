#pragma once

#include "locations/PositionSource.h"

#include <QGeoPositionInfoSource>

#include <chrono>
#include <memory>

// PositionSource over Qt Positioning (GeoClue 2 on Linux). Qt has no authorization step of
// its own: access counts as granted until a request is refused, and a refusal is reported
// as authorizationChanged(denied). The next request asks again, so access granted later in
// the system settings is picked up.
class QtPositionSource final : public PositionSource {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kRequestTimeout{30000};

    // Nothing when the system offers no position source at all.
    static std::unique_ptr<QtPositionSource> create();

    explicit QtPositionSource(QGeoPositionInfoSource* source); // takes ownership
    ~QtPositionSource() override;

    Authorization authorization() const override { return Authorization::authorized; }
    void requestAuthorization() override;
    void requestPosition() override;

    // The Japanese description of a Qt Positioning error; AccessError is a refusal, not
    // an error, and has none.
    static QString errorMessage(QGeoPositionInfoSource::Error error);

private:
    QGeoPositionInfoSource* m_source;
};
