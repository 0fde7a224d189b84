#include "ui/WeatherHeaderView.h"

#include "outlook/RainOutlookService.h"
#include "ui/ActivitySpinner.h"
#include "ui/CurrentWeatherPanel.h"
#include "ui/ForecastStrip.h"
#include "ui/HourlyStrip.h"
#include "ui/OfflineBanner.h"
#include "ui/RainOutlookRow.h"
#include "ui/WeatherHeaderViewStyle.h"
#include "weather/WeatherService.h"

#include <QHBoxLayout>
#include <QStackedWidget>
#include <QVBoxLayout>

using WeatherHeaderStyle::Tone;

namespace {

constexpr int kBandHeight = 288;

} // namespace

WeatherHeaderView::WeatherHeaderView(QWidget* parent)
    : QWidget(parent)
    , m_panel(new CurrentWeatherPanel)
    , m_area(new QStackedWidget)
    , m_forecastPage(new QWidget)
    , m_daily(new ForecastStrip)
    , m_hourly(new HourlyStrip)
    , m_progressPage(new QWidget)
    , m_progress(new ActivitySpinner(ActivitySpinner::kSmall))
    , m_errorPage(new QWidget)
    , m_error(new HeaderText(QString(), 11, QFont::Normal, Tone::Secondary))
    , m_emptyPage(new QWidget)
    , m_rainDivider(new HeaderDivider(Qt::Horizontal))
    , m_rain(new RainOutlookRow)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* forecast = new QVBoxLayout(m_forecastPage);
    forecast->setContentsMargins(0, 0, 0, 0);
    forecast->setSpacing(0);
    forecast->addWidget(m_daily);
    forecast->addWidget(new HeaderDivider(Qt::Horizontal));
    forecast->addWidget(m_hourly);
    forecast->addStretch();

    auto* progress = new QVBoxLayout(m_progressPage);
    progress->addWidget(m_progress, 0, Qt::AlignCenter);

    m_error->setAlignment(Qt::AlignCenter);
    m_error->setWordWrap(true);
    auto* error = new QVBoxLayout(m_errorPage);
    error->setContentsMargins(24, 12, 24, 12);
    error->addStretch();
    error->addWidget(m_error);
    error->addStretch();

    for (QWidget* page : {m_forecastPage, m_progressPage, m_errorPage, m_emptyPage})
        m_area->addWidget(page);

    auto* band = new QWidget;
    band->setFixedHeight(kBandHeight);
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_panel);
    row->addWidget(new HeaderDivider(Qt::Vertical));
    row->addWidget(m_area, 1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(band);
    column->addWidget(m_rainDivider);
    column->addWidget(m_rain);
    m_rainDivider->hide();
    m_rain->hide();

    updateArea();
    updateHeight();
}

WeatherHeaderView::~WeatherHeaderView()
{
    setWeatherService(nullptr);
    setRainOutlookService(nullptr);
}

void WeatherHeaderView::setRainOutlookService(RainOutlookService* service)
{
    disconnect(m_outlookConnection);
    m_outlookService = service;
    if (!service)
        return;
    m_outlookConnection = connect(service, &RainOutlookService::outlookChanged, this,
                                  [this] { setRainOutlook(m_outlookService->outlook()); });
    setRainOutlook(service->outlook());
}

void WeatherHeaderView::setWeatherService(WeatherService* service)
{
    for (const QMetaObject::Connection& connection : std::as_const(m_serviceConnections))
        disconnect(connection);
    m_serviceConnections.clear();
    m_service = service;
    if (!service)
        return;
    for (auto changed :
         {&WeatherService::snapshotChanged, &WeatherService::isLoadingChanged,
          &WeatherService::errorMessageChanged, &WeatherService::savedCopyTimeChanged}) {
        m_serviceConnections.append(
            connect(service, changed, this, &WeatherHeaderView::copyFromService));
    }
    copyFromService();
}

void WeatherHeaderView::copyFromService()
{
    if (!m_service)
        return;
    setSnapshot(m_service->snapshot());
    setLoading(m_service->isLoading());
    setErrorMessage(m_service->errorMessage());
    setSavedCopyTime(m_service->savedCopyTime());
}

void WeatherHeaderView::setSavedCopyTime(const QDateTime& fetchedAt)
{
    m_panel->setStamp(
        fetchedAt.isValid()
            ? QStringLiteral("オフライン — %1 時点").arg(OfflineBanner::clock(fetchedAt))
            : QString());
}

void WeatherHeaderView::setSnapshot(const std::optional<WeatherSnapshot>& snapshot)
{
    if (snapshot == m_snapshot)
        return;
    m_snapshot = snapshot;
    m_panel->setConditions(snapshot ? std::optional(snapshot->current) : std::nullopt);
    m_daily->setDays(snapshot ? snapshot->daily : QList<DailyForecast>());
    m_hourly->setHours(snapshot ? snapshot->hourly : QList<HourlyForecast>());
    updateArea();
}

void WeatherHeaderView::setLoading(bool loading)
{
    if (loading == m_loading)
        return;
    m_loading = loading;
    updateArea();
}

void WeatherHeaderView::setErrorMessage(const QString& message)
{
    if (message == m_errorMessage)
        return;
    m_errorMessage = message;
    m_error->setText(message);
    updateArea();
}

void WeatherHeaderView::setTextScale(double scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    m_panel->setScale(scale);
    m_daily->setScale(scale);
    m_hourly->setScale(scale);
    m_error->setScale(scale);
    m_rain->setScale(scale);
    updateHeight();
}

void WeatherHeaderView::setPlaceName(const QString& name)
{
    m_panel->setPlaceName(name);
}

void WeatherHeaderView::setRainOutlook(const RainOutlook& outlook)
{
    m_rain->setOutlook(outlook);
    const bool shown = !outlook.isEmpty();
    if (shown == !m_rain->isHidden())
        return;
    m_rainDivider->setVisible(shown);
    m_rain->setVisible(shown);
    updateHeight();
}

WeatherHeaderView::Area WeatherHeaderView::area() const
{
    if (m_snapshot)
        return Area::Forecast;
    if (m_loading)
        return Area::Progress;
    if (!m_errorMessage.isEmpty())
        return Area::Error;
    return Area::Empty;
}

void WeatherHeaderView::updateArea()
{
    switch (area()) {
    case Area::Forecast:
        m_area->setCurrentWidget(m_forecastPage);
        break;
    case Area::Progress:
        m_area->setCurrentWidget(m_progressPage);
        break;
    case Area::Error:
        m_area->setCurrentWidget(m_errorPage);
        break;
    case Area::Empty:
        m_area->setCurrentWidget(m_emptyPage);
        break;
    }
}

void WeatherHeaderView::updateHeight()
{
    // Fixed, so the maps below keep every pixel the header does not use.
    int height = kBandHeight;
    if (!m_rain->isHidden())
        height += m_rainDivider->sizeHint().height() + m_rain->sizeHint().height();
    setFixedHeight(height);
}
