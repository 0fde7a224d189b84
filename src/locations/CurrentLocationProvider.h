#pragma once

#include "locations/CurrentLocationStatus.h"
#include "locations/Geocoder.h"
#include "locations/PositionSource.h"
#include "locations/SavedLocation.h"
#include "platform/async/TaskScope.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// Answers one request at a time for where the user is: asks the location service for a
// single coarse fix, names the place by reverse geocoding ("現在地" when that fails) and
// hands it over as a new SavedLocation. Refused access ends in `denied`, an error of the
// location service, no location service at all or no answer within 30 s in `failed` with a
// Japanese message; the completion is then not called. Lives on the GUI thread.
class CurrentLocationProvider : public QObject {
    Q_OBJECT
    Q_PROPERTY(CurrentLocationStatus status READ status NOTIFY statusChanged)

public:
    using Status = CurrentLocationStatus;
    using Completion = std::function<void(const SavedLocation&)>;

    static constexpr double kRequestTimeoutSeconds = 30;

    // `source` may be null: this machine has no location service, and every request ends
    // in failed(noSourceMessage()).
    CurrentLocationProvider(std::unique_ptr<PositionSource> source,
                            std::shared_ptr<Geocoder> geocoder, QObject* parent = nullptr);
    ~CurrentLocationProvider() override;

    // Qt Positioning's default source; null when the system has none.
    static std::unique_ptr<PositionSource> createDefaultSource();

    static QString noSourceMessage();
    static QString timeoutMessage();

    // Starts a request. `completion` is called later, at most once, and only on success;
    // a newer request replaces the completion of one still outstanding.
    void requestCurrentLocation(Completion completion);

    const Status& status() const { return m_status; }

Q_SIGNALS:
    void statusChanged();

private:
    void handleAuthorizationChange(PositionSource::Authorization authorization);
    void handlePosition(GeoCoordinate coordinate);
    void handleFailure(const QString& message);
    void endWaiting();
    void setStatus(const Status& status);

    async::Task<void> deliver(GeoCoordinate coordinate);
    async::Task<std::pair<QString, std::optional<QString>>> placeName(GeoCoordinate coordinate);
    async::Task<void> timeoutWatch();

    std::unique_ptr<PositionSource> m_source;
    std::shared_ptr<Geocoder> m_geocoder;
    Status m_status;
    bool m_wantsFix = false;
    Completion m_completion;
    async::TaskHandle m_timeoutTask;
    async::TaskScope m_tasks; // last: destroyed first
};
