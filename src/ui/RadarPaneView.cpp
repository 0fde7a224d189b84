#include "ui/RadarPaneView.h"

#include "app/AppSettings.h"
#include "lightning/LightningService.h"
#include "locations/LocationStore.h"
#include "locations/MapCameraStore.h"
#include "map/RadarMapHost.h"
#include "radar/HazardFrames.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "tiles/RadarTileLoader.h"
#include "typhoon/TyphoonService.h"
#include "ui/LiveStatusBar.h"
#include "ui/OfflineBanner.h"
#include "ui/PaneButton.h"
#include "ui/PaneStyle.h"
#include "ui/Popover.h"
#include "ui/RadarLegendView.h"
#include "ui/TimelineSliderView.h"
#include "ui/TyphoonDetailView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr auto kBadgeDelay = std::chrono::milliseconds(400);

} // namespace

RadarPaneView::RadarPaneView(RadarMapView::Style style, AppState::Pane pane, AppState* state,
                             RadarPlayer* player, QWidget* parent, RadarTileLoader* loader)
    : QWidget(parent)
    , m_style(style)
    , m_pane(pane)
    , m_state(state)
    , m_player(player)
    , m_loader(loader ? loader : &RadarTileLoader::shared())
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The button row lies over the map's top-left corner: both share one grid cell.
    m_mapArea = new QWidget(this);
    auto* stack = new QGridLayout(m_mapArea);
    stack->setContentsMargins(0, 0, 0, 0);
    m_map = new RadarMapHost(mapView(), m_mapArea, {}, loader);
    m_map->setAccessibleName(pane == MapPane::Detail ? QStringLiteral("詳細の地図")
                                                     : QStringLiteral("全国の地図"));
    m_overlay = new QWidget(m_mapArea);
    stack->addWidget(m_map, 0, 0);
    stack->addWidget(m_overlay, 0, 0, Qt::AlignTop | Qt::AlignLeft);
    auto* row = new QHBoxLayout(m_overlay);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(6);
    m_legendButton = new PaneButton(QStringLiteral("square.stack.3d.up"), QStringLiteral("凡例"));
    m_rangeButton = new PaneButton(QStringLiteral("scope"), QStringLiteral("範囲"));
    m_typhoonButton = new PaneButton(QStringLiteral("hurricane"), QStringLiteral("台風"));
    m_badge = new LoadingBadge;
    for (QWidget* item :
         {static_cast<QWidget*>(m_legendButton), static_cast<QWidget*>(m_rangeButton),
          static_cast<QWidget*>(m_typhoonButton), static_cast<QWidget*>(m_badge)})
        row->addWidget(item, 0, Qt::AlignVCenter);
    // The row is as wide as the badge made it until its hiding has been laid out; the room
    // left goes to the stretch, not to the buttons.
    row->addStretch(1);
    // Low over the map, clear of the buttons, above the slider or live bar.
    auto* bannerHolder = new QWidget(m_mapArea);
    auto* bannerRow = new QHBoxLayout(bannerHolder);
    bannerRow->setContentsMargins(8, 8, 8, 10);
    m_offlineBanner = new OfflineBanner(bannerHolder);
    bannerRow->addWidget(m_offlineBanner);
    stack->addWidget(bannerHolder, 0, 0, Qt::AlignBottom | Qt::AlignHCenter);
    column->addWidget(m_mapArea, 1);

    // The legend with the switches of the nowcast layers it explains.
    auto* legendPanel = new QWidget;
    auto* legendColumn = new QVBoxLayout(legendPanel);
    legendColumn->setContentsMargins(0, 0, 0, RadarLegendView::kPadding);
    legendColumn->setSpacing(2);
    m_legend = new RadarLegendView(legendPanel);
    legendColumn->addWidget(m_legend);
    const auto layerToggle = [&](const QString& name, const QString& text) {
        auto* box = new QCheckBox(text, legendPanel);
        box->setObjectName(name);
        box->setFont(PaneStyle::font(11));
        box->setFocusPolicy(Qt::NoFocus);
        legendColumn->addWidget(box);
        legendColumn->setAlignment(box, Qt::AlignLeft);
        box->setContentsMargins(RadarLegendView::kPadding, 0, 0, 0);
        return box;
    };
    m_thunderToggle = layerToggle(QStringLiteral("showThunder"), QStringLiteral("雷活動度"));
    m_tornadoToggle = layerToggle(QStringLiteral("showTornado"), QStringLiteral("竜巻発生確度"));
    m_legendPopover = new Popover(this);
    m_legendPopover->setContent(legendPanel);
    auto* typhoonDetail = new TyphoonDetailView;
    typhoonDetail->setService(state->typhoon());
    m_typhoonPopover = new Popover(this);
    m_typhoonPopover->setContent(typhoonDetail);

    m_bottom = new QStackedWidget(this);
    m_slider = new TimelineSliderView(player, m_bottom);
    m_liveBar = new LiveStatusBar(player, state->timeline(), m_bottom);
    m_bottom->addWidget(m_slider);
    m_bottom->addWidget(m_liveBar);
    column->addWidget(m_bottom);

    // Scrubbing always moves the detail player; the overview player follows it.
    m_slider->setOnTogglePlayback([this] { m_state->togglePlayback(m_player); });
    m_slider->setOnPause([this] { m_state->pausePlayback(); });
    m_slider->setOnScrub([this](int index) {
        m_state->noteRadarActivity();
        m_state->detailPlayer()->scrub(index);
    });
    m_liveBar->setOnSelectOffset([this](int minutes) { m_state->setLiveOffset(minutes); });

    connect(m_legendButton, &QAbstractButton::clicked, this,
            [this] { m_legendPopover->toggleAnchoredTo(m_legendButton); });
    connect(m_typhoonButton, &QAbstractButton::clicked, this,
            [this] { m_typhoonPopover->toggleAnchoredTo(m_typhoonButton); });
    AppSettings* settings = state->settings();
    connect(m_thunderToggle, &QCheckBox::clicked, settings, &AppSettings::setShowThunder);
    connect(m_tornadoToggle, &QCheckBox::clicked, settings, &AppSettings::setShowTornado);
    connect(m_rangeButton, &QAbstractButton::clicked, this,
            [settings] { settings->setShowRangeCircles(!settings->showRangeCircles()); });

    const auto mapChanged = [this] { refreshMap(); };
    connect(player, &RadarPlayer::indexChanged, this, mapChanged);
    connect(player, &RadarPlayer::framesChanged, this, [this] {
        refreshMap();
        refreshBadge();
    });
    connect(state->timeline(), &RadarTimeline::errorMessageChanged, this,
            [this] { refreshBadge(); });
    connect(state->locations(), &LocationStore::selectedChanged, this, mapChanged);
    // The holder goes with the banner, so no empty strip takes the map's clicks.
    const auto offlineChanged = [this, bannerHolder] {
        m_offlineBanner->setDataTime(m_state->offlineDataTime());
        bannerHolder->setVisible(m_state->isOffline());
        m_liveBar->setOffline(m_state->isOffline());
    };
    connect(state, &AppState::offlineChanged, this, offlineChanged);
    offlineChanged();
    connect(state->typhoon(), &TyphoonService::typhoonsChanged, this, mapChanged);
    connect(state->lightning(), &LightningService::strikesChanged, this, mapChanged);
    connect(state->lightning(), &LightningService::hazardFramesChanged, this, mapChanged);
    const auto layersChanged = [this] {
        refreshLegend();
        refreshMap();
    };
    connect(settings, &AppSettings::showThunderChanged, this, layersChanged);
    connect(settings, &AppSettings::showTornadoChanged, this, layersChanged);
    connect(&m_loader->agency(), &AgencyTileSource::levelColoursChanged, this,
            [this] { refreshLegend(); });
    connect(state, &AppState::radarRedrawTokenChanged, this, mapChanged);
    connect(state, &AppState::radarRebuildTokenChanged, this, mapChanged);
    for (auto signal :
         {&AppSettings::radarOpacityChanged, &AppSettings::showLightningChanged,
          &AppSettings::showPrefectureBordersChanged, &AppSettings::showPrefectureLabelsChanged,
          &AppSettings::showRangeCirclesChanged})
        connect(settings, signal, this, mapChanged);
    connect(settings, &AppSettings::showTyphoonChanged, this, [this] {
        refreshControls();
        refreshMap();
    });
    connect(settings, &AppSettings::playbackModeChanged, this, [this] { refreshControls(); });

    refreshControls();
    refreshBadge();
    refreshLegend();
}

RadarPaneView::~RadarPaneView() = default;

RadarMapView RadarPaneView::mapView() const
{
    const AppSettings* settings = m_state->settings();
    RadarMapView view;
    view.style = m_style;
    view.location = m_state->locations()->selected();
    view.frame = m_player->currentFrame();
    view.opacity = settings->radarOpacity();
    if (view.frame && settings->showThunder())
        view.thunderFrame =
            HazardFrames::matching(m_state->lightning()->thunderFrames(), *view.frame);
    if (view.frame && settings->showTornado())
        view.tornadoFrame =
            HazardFrames::matching(m_state->lightning()->tornadoFrames(), *view.frame);
    if (settings->showTyphoon())
        view.typhoons = m_state->typhoon()->typhoons();
    if (settings->showLightning())
        view.lightningStrikes = m_state->lightning()->strikes();
    view.forceRedrawToken = m_state->radarRedrawToken();
    view.rebuildToken = m_state->radarRebuildToken();
    view.showPrefectureBorders = settings->showPrefectureBorders();
    view.showPrefectureLabels = settings->showPrefectureLabels();
    view.showRangeCircles = settings->showRangeCircles();
    view.initialCamera = m_state->mapCameras()->camera(m_pane);
    view.selectedTyphoonID = m_selectedTyphoonID;

    // The map lives inside this pane, so its callbacks never outlive it.
    RadarPaneView* self = const_cast<RadarPaneView*>(this);
    view.onTyphoonSelect = [self](const QString& id) {
        self->m_selectedTyphoonID = id;
        self->refreshMap();
    };
    view.onClearSelection = [self] {
        if (!self->m_selectedTyphoonID)
            return;
        self->m_selectedTyphoonID.reset();
        self->refreshMap();
    };
    view.onRegionSettled = [self](const MapRegion& region, const QList<TilePath>& tiles,
                                  RadarMapView::RegionReport report) {
        self->m_state->updateVisibleTiles(tiles, region, self->m_pane,
                                          report == RadarMapView::RegionReport::Moved);
    };
    view.onTileLoadingChange = [self](bool loading) { self->setTilesLoading(loading); };
    return view;
}

void RadarPaneView::refreshMap()
{
    m_map->update(mapView());
}

void RadarPaneView::refreshControls()
{
    const AppSettings* settings = m_state->settings();
    // Hiding the button also closes its popover.
    m_typhoonButton->setVisible(settings->showTyphoon());
    const bool live = settings->playbackMode() == RadarPlaybackMode::Live;
    m_bottom->setCurrentWidget(live ? static_cast<QWidget*>(m_liveBar) : m_slider);
}

void RadarPaneView::refreshLegend()
{
    const AppSettings* settings = m_state->settings();
    const AgencyTileSource& agency = m_loader->agency();
    m_thunderToggle->setChecked(settings->showThunder());
    m_tornadoToggle->setChecked(settings->showTornado());
    m_legend->setExtraScales(RadarLegendView::hazardScales(
        settings->showThunder() ? agency.levelColours(RadarProduct::ThunderNowcast)
                                : QList<QColor>{},
        settings->showTornado() ? agency.levelColours(RadarProduct::TornadoNowcast)
                                : QList<QColor>{}));
}

void RadarPaneView::setTilesLoading(bool loading)
{
    m_isLoadingTiles = loading;
    m_tileLoadingDelay.cancel();
    if (!loading) {
        m_showsTileLoading = false;
        refreshBadge();
        return;
    }
    m_tileLoadingDelay.start(kBadgeDelay, [this] {
        m_tileLoadingDelay.markFired();
        m_showsTileLoading = true;
        refreshBadge();
    });
}

bool RadarPaneView::showsLoadingBadge() const
{
    return !m_player->currentFrame() || m_showsTileLoading;
}

bool RadarPaneView::showsFetchFailure() const
{
    return !m_player->currentFrame() && !m_state->timeline()->errorMessage().isNull();
}

void RadarPaneView::refreshBadge()
{
    const bool failed = showsFetchFailure();
    m_badge->setFailed(failed, m_state->timeline()->errorMessage());
    m_badge->setShown(showsLoadingBadge());
    m_slider->setFetchFailed(failed);
    m_liveBar->setFetchFailed(failed, m_state->timeline()->errorMessage());
}

bool RadarPaneView::isTyphoonDetailShown() const
{
    return m_typhoonPopover->isVisible();
}
