#pragma once

#include "platform/Clock.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "ui/Material.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class ActivitySpinner;
class LiveOffsetSlider;
class PulsingDot;
class QLabel;
class ToneLabel;

// The bar under a radar pane in live mode: a pulsing "ライブ" mark, a spinner while the
// timeline loads, the stepped slider that looks ahead into the forecast, and which frame is
// shown (observation or forecast, its clock time, its age or how far ahead it lies). It only
// reads the player and the timeline; choosing a step goes out through onSelectOffset.
class LiveStatusBar : public MaterialPanel {
    Q_OBJECT

public:
    struct TickLabel {
        int position = 0; // index into the live steps
        QString text;
        friend bool operator==(const TickLabel&, const TickLabel&) = default;
    };

    // What the status area shows.
    struct Status {
        bool hasFrame = false;
        bool isForecast = false;
        QString kind;   // "観測 9:05", "予測 翌1:00"
        QString detail; // "5分前" for an observation, "+30分" for a forecast
        friend bool operator==(const Status&, const Status&) = default;
    };

    static constexpr int kLabelSpacing = 34; // least distance between two tick labels
    static constexpr int kStatusMinimumWidth = 130;
    static constexpr std::chrono::seconds kStatusRefresh{30};

    // Minutes ahead of the newest observation that get a tick label, in order.
    static const QList<int>& tickTargets();

    // "+45分", "+2時間": minutes above 59 as whole hours, halves rounded away from zero.
    static QString offsetText(int minutes);
    // Fmt::clock, with "翌" in front for a time on a later day than `now`.
    static QString clock(const QDateTime& date, const QDateTime& now);
    // Labels for the live steps of `player` on a slider whose steps lie `stepWidth` apart.
    static QList<TickLabel> tickLabels(const RadarPlayer& player, const QList<int>& steps,
                                       double stepWidth);
    // The same from each step's whole minutes ahead of the newest observation.
    static QList<TickLabel> tickLabels(const QList<int>& minutesAhead, double stepWidth);
    static Status status(const RadarPlayer& player, const QDateTime& now);

    LiveStatusBar(RadarPlayer* player, RadarTimeline* timeline, QWidget* parent = nullptr);
    ~LiveStatusBar() override;

    // Called with the minutes ahead of the step the user picked.
    void setOnSelectOffset(std::function<void(int minutes)> onSelectOffset);

    RadarPlayer* player() const { return m_player; }
    LiveOffsetSlider* slider() const { return m_slider; }
    const Status& shownStatus() const { return m_status; }
    bool showsSpinner() const;
    // What stands in for the status while there is no frame: "読み込み中", or after a failed
    // fetch "取得できません（再試行します）" (`reason` becomes the tooltip).
    void setFetchFailed(bool failed, const QString& reason = {});
    QString placeholderText() const;
    // While the frames are saved ones, the bar says "オフライン" instead of "ライブ" and its
    // mark stops pulsing.
    void setOffline(bool offline);
    QString modeText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refreshStatus();
    void showStatus(const Status& status);
    void refreshLoading();
    void scheduleRefresh();

    QPointer<RadarPlayer> m_player;
    QPointer<RadarTimeline> m_timeline;
    PulsingDot* m_dot = nullptr;
    ToneLabel* m_mode = nullptr;
    ActivitySpinner* m_spinner = nullptr;
    LiveOffsetSlider* m_slider = nullptr;
    QLabel* m_loading = nullptr;
    ToneLabel* m_kind = nullptr;
    ToneLabel* m_detail = nullptr;
    Status m_status;
    ScheduledTimer m_refreshTimer;
};
