#pragma once

#include "app/AppState.h"
#include "map/RadarMapView.h"
#include "platform/Clock.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class LiveStatusBar;
class LoadingBadge;
class OfflineBanner;
class PaneButton;
class Popover;
class QCheckBox;
class QStackedWidget;
class RadarLegendView;
class RadarMapHost;
class RadarPlayer;
class RadarTileLoader;
class TimelineSliderView;

// One map pane of the main window: the radar map of its pane, the 凡例/範囲/台風 buttons
// (the legend's popover also switches the thunder and tornado layers) and the loading badge over
// the map's top-left corner, and under the map the timeline slider (animation) or the live status
// bar (live). Every state change builds a new map description for the long-lived coordinator; the
// map's reports go back to the controller.
class RadarPaneView : public QWidget {
    Q_OBJECT

public:
    RadarPaneView(RadarMapView::Style style, AppState::Pane pane, AppState* state,
                  RadarPlayer* player, QWidget* parent = nullptr,
                  RadarTileLoader* loader = nullptr);
    ~RadarPaneView() override;

    // What the map is asked to show now.
    RadarMapView mapView() const;

    bool showsLoadingBadge() const;
    // No frame to show, and the last attempt to fetch the frames failed: the badge and the
    // slider say so instead of "loading".
    bool showsFetchFailure() const;
    LoadingBadge* loadingBadge() const { return m_badge; }
    OfflineBanner* offlineBanner() const { return m_offlineBanner; }
    bool isTyphoonDetailShown() const;
    std::optional<QString> selectedTyphoonID() const { return m_selectedTyphoonID; }

    PaneButton* legendButton() const { return m_legendButton; }
    RadarLegendView* legend() const { return m_legend; }
    QCheckBox* thunderToggle() const { return m_thunderToggle; }
    QCheckBox* tornadoToggle() const { return m_tornadoToggle; }
    PaneButton* rangeButton() const { return m_rangeButton; }
    PaneButton* typhoonButton() const { return m_typhoonButton; }
    TimelineSliderView* timelineSlider() const { return m_slider; }
    LiveStatusBar* liveStatusBar() const { return m_liveBar; }
    RadarMapHost* mapHost() const { return m_map; }

    // The map's report that radar tiles are loading or idle; the badge follows it 0.4 s late.
    void setTilesLoading(bool loading);

private:
    void refreshMap();
    void refreshControls();
    void refreshBadge();
    void refreshLegend();

    RadarMapView::Style m_style;
    AppState::Pane m_pane;
    AppState* m_state;
    RadarPlayer* m_player;
    RadarTileLoader* m_loader;

    QWidget* m_mapArea;
    RadarMapHost* m_map;
    QWidget* m_overlay;
    PaneButton* m_legendButton;
    PaneButton* m_rangeButton;
    PaneButton* m_typhoonButton;
    LoadingBadge* m_badge;
    OfflineBanner* m_offlineBanner;
    Popover* m_legendPopover;
    RadarLegendView* m_legend;
    QCheckBox* m_thunderToggle;
    QCheckBox* m_tornadoToggle;
    Popover* m_typhoonPopover;
    QStackedWidget* m_bottom;
    TimelineSliderView* m_slider;
    LiveStatusBar* m_liveBar;

    std::optional<QString> m_selectedTyphoonID;
    bool m_isLoadingTiles = false;
    bool m_showsTileLoading = false;
    ScheduledTimer m_tileLoadingDelay;
};
