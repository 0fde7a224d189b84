#pragma once

#include "geo/GeoTypes.h"
#include "outlook/RainOutlook.h"
#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"
#include "radar/RadarFrame.h"

#include <QObject>
#include <QString>

#include <optional>

class AgencyTileSource;
class RadarTimeline;

// The rain outlook at the chosen place, kept current as the place or the timeline's frames
// change: the band each frame shows there, from the zoom-10 tile holding the place (the one
// the detail map itself holds at that zoom), decoded and sampled on the thread pool. Lives on
// the GUI thread.
//
// The twelve-hour range brings hourly analyses, not the nowcast, and with forecasts hidden
// the frames end at the newest observation. The service then keeps a timeline of its own in
// the three-hour range (one hour of nowcast, nothing beyond) and reloads it each time it is
// handed frames, so it is as fresh as the timeline it follows; hourly forecasts still come
// from the frames it was handed.
class RainOutlookService : public QObject {
    Q_OBJECT
    Q_PROPERTY(RainOutlook outlook READ outlook NOTIFY outlookChanged)

public:
    explicit RainOutlookService(AgencyTileSource& tiles, QObject* parent = nullptr);
    ~RainOutlookService() override;

    const RainOutlook& outlook() const { return m_outlook; }

    // Each change computes the outlook again; a newer computation replaces a running one,
    // which then publishes nothing.
    void setPlace(QString name, GeoCoordinate place);
    void setFrames(RadarFrames frames);
    // The thunder activity and tornado likelihood frames (LightningService): the outlook
    // tells their highest level at the place from now to an hour ahead.
    void setHazardFrames(RadarFrames thunder, RadarFrames tornado);

    // The outlook of `frames` at `place`, without the object (the command line uses it):
    // one tile a frame, from memory when the source holds it. A frame whose tile cannot be
    // had or read gives a step that is not known.
    static async::Task<RainOutlook> compute(AgencyTileSource& tiles, RadarFrames frames,
                                            QString name, GeoCoordinate place);

    // The timeline of its own: null until frames without the nowcast are handed in, then
    // kept (idle while the frames handed in hold the nowcast).
    RadarTimeline* nowcastTimeline() const { return m_nowcast; }

Q_SIGNALS:
    void outlookChanged();

private:
    void recompute();
    void reloadNowcast();
    RadarFrames framesToSample() const;
    async::Task<void> computeAndPublish(RadarFrames frames, RadarFrames thunder,
                                        RadarFrames tornado, QString name, GeoCoordinate place);
    void publish(const RainOutlook& outlook);

    AgencyTileSource& m_tiles;
    QString m_name;
    std::optional<GeoCoordinate> m_place; // none until the first setPlace
    RadarFrames m_frames;
    RadarFrames m_thunder;
    RadarFrames m_tornado;
    RadarTimeline* m_nowcast = nullptr; // made on first need, a child
    RainOutlook m_outlook;

    async::TaskHandle m_computeTask;
    async::TaskHandle m_nowcastReload;
    async::TaskScope m_tasks; // last: destroyed first, so no task outlives the members
};
