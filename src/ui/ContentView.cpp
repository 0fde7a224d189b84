#include "ui/ContentView.h"

#include "app/AppSettings.h"
#include "app/AppState.h"
#include "locations/CurrentLocationProvider.h"
#include "locations/LocationStore.h"
#include "radar/RadarTimeline.h"
#include "ui/OfflineBanner.h"
#include "ui/PaneStyle.h"
#include "ui/RadarPaneView.h"
#include "ui/ToneLabel.h"
#include "ui/ToneSymbol.h"
#include "ui/WeatherHeaderView.h"
#include "ui/WeatherHeaderViewStyle.h"
#include "weather/Fmt.h"
#include "weather/WeatherService.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int kPaneMinimumWidth = 320;

const QString kLocationDenied = QStringLiteral(
    "位置情報が許可されていません（デスクトップのプライバシー設定で位置情報サービスを"
    "許可してください）");
const QString kLocating = QStringLiteral("現在地を取得中…");

} // namespace

ContentView::ContentView(AppState* state, QWidget* parent, RadarTileLoader* loader)
    : QWidget(parent)
    , m_state(state)
{
    setMinimumSize(1000, 720);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_header = new WeatherHeaderView(this);
    m_header->setWeatherService(state->weather());
    m_header->setRainOutlookService(state->outlook());
    m_header->setTextScale(state->settings()->textScale());
    m_header->setPlaceName(state->locations()->selected().name);
    column->addWidget(m_header);
    column->addWidget(new HeaderDivider(Qt::Horizontal, 0, this));

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setChildrenCollapsible(false);
    m_detail = new RadarPaneView(RadarMapView::Style::Detail, AppState::Pane::Detail, state,
                                 state->detailPlayer(), m_splitter, loader);
    m_overview = new RadarPaneView(RadarMapView::Style::Overview, AppState::Pane::Overview, state,
                                   state->overviewPlayer(), m_splitter, loader);
    m_detail->setMinimumWidth(kPaneMinimumWidth);
    m_overview->setMinimumWidth(kPaneMinimumWidth);
    m_splitter->addWidget(m_detail);
    m_splitter->addWidget(m_overview);
    column->addWidget(m_splitter, 1);
    column->addWidget(new HeaderDivider(Qt::Horizontal, 0, this));

    auto* footer = new QWidget(this);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(12, 5, 12, 5);
    row->setSpacing(10);
    auto* status = new QWidget(footer);
    auto* statusRow = new QHBoxLayout(status);
    statusRow->setContentsMargins(0, 0, 0, 0);
    statusRow->setSpacing(4);
    m_statusSymbol = new ToneSymbol(QStringLiteral("exclamationmark.triangle"), 11,
                                    ToneLabel::Tone::Orange, status);
    m_statusText = new ToneLabel({}, 10, QFont::Normal, ToneLabel::Tone::Secondary, status);
    statusRow->addWidget(m_statusSymbol);
    statusRow->addWidget(m_statusText);
    row->addWidget(status);
    auto* attribution =
        new ToneLabel(attributionText(), 10, QFont::Normal, ToneLabel::Tone::Secondary, footer);
    attribution->setTextInteractionFlags(Qt::TextSelectableByMouse);
    attribution->setFocusPolicy(Qt::NoFocus);
    row->addWidget(attribution, 1);
    column->addWidget(footer);

    AppSettings* settings = state->settings();
    connect(settings, &AppSettings::textScaleChanged, this,
            [this, settings] { m_header->setTextScale(settings->textScale()); });
    connect(state->locations(), &LocationStore::selectedChanged, this,
            [this] { m_header->setPlaceName(m_state->locations()->selected().name); });
    // A changed frame list re-feeds both players (the controller ignores an unchanged one).
    connect(state->timeline(), &RadarTimeline::framesChanged, this,
            [this] { m_state->syncPlayers(); });
    const auto statusChanged = [this] { refreshStatus(); };
    connect(state->timeline(), &RadarTimeline::errorMessageChanged, this, statusChanged);
    connect(state->timeline(), &RadarTimeline::lastUpdatedChanged, this, statusChanged);
    connect(state->currentLocation(), &CurrentLocationProvider::statusChanged, this, statusChanged);
    connect(state, &AppState::offlineChanged, this, statusChanged);
    refreshStatus();
}

ContentView::~ContentView() = default;

QString ContentView::attributionText()
{
    return QStringLiteral("出典：気象庁ホームページ（高解像度降水ナウキャスト／解析雨量・降水短時間"
                          "予報／台風情報／雷ナウキャスト）を加工して作成、") +
           QStringLiteral("Open-Meteo.com") +
           QStringLiteral(" (CC BY 4.0)、国土地理院 地球地図日本を加工して作成（都道府県境）");
}

QString ContentView::statusText() const
{
    // A request the user just made outranks the radar's state: it is what they are waiting for.
    const CurrentLocationStatus& location = m_state->currentLocation()->status();
    switch (location.kind) {
    case CurrentLocationStatus::Kind::denied:
        return kLocationDenied;
    case CurrentLocationStatus::Kind::requesting:
        return kLocating;
    case CurrentLocationStatus::Kind::failed:
        return location.message;
    case CurrentLocationStatus::Kind::idle:
        break;
    }
    // Saved frames are old, whatever the last failure said.
    if (m_state->isOffline())
        return OfflineBanner::text(m_state->offlineDataTime());
    const QString error = m_state->timeline()->errorMessage();
    if (!error.isEmpty())
        return error;
    const QDateTime updated = m_state->timeline()->lastUpdated();
    if (updated.isValid())
        return QStringLiteral("レーダー更新 ") + Fmt::clock(updated);
    return {};
}

bool ContentView::statusIsWarning() const
{
    switch (m_state->currentLocation()->status().kind) {
    case CurrentLocationStatus::Kind::denied:
    case CurrentLocationStatus::Kind::failed:
        return true;
    case CurrentLocationStatus::Kind::requesting:
        return false;
    case CurrentLocationStatus::Kind::idle:
        break;
    }
    return m_state->isOffline() || !m_state->timeline()->errorMessage().isEmpty();
}

void ContentView::refreshStatus()
{
    const QString text = statusText();
    const bool warning = statusIsWarning();
    m_statusSymbol->setVisible(warning);
    m_statusText->setTone(warning ? ToneLabel::Tone::Orange : ToneLabel::Tone::Secondary);
    m_statusText->setText(text);
    m_statusText->setVisible(!text.isEmpty());
    m_statusText->setToolTip(m_state->isOffline() ? m_state->timeline()->errorMessage()
                                                  : QString());
}

void ContentView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    m_state->start();
}
