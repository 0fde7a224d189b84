#include "ui/ForecastCard.h"

#include "weather/Fmt.h"
#include "weather/JapaneseHoliday.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

using WeatherHeaderStyle::Tone;

namespace {

QString chanceText(const std::optional<qint64>& probability)
{
    return probability ? QString::number(*probability) + u'%' : QStringLiteral("—");
}

} // namespace

ForecastCard::ForecastCard(const DailyForecast& day, double scale, QWidget* parent)
    : QWidget(parent)
    , m_day(day)
    , m_date(new HeaderText(Fmt::monthDayWeekday(day.date), 13, QFont::Normal, dateTone(day)))
    , m_symbol(new SymbolView(36, QSize(78, 48)))
    , m_high(new HeaderText(Fmt::temperatureShort(day.high), 15, QFont::Medium, Tone::Red))
    , m_slash(new HeaderText(QStringLiteral("/"), 15, QFont::Medium, Tone::Secondary))
    , m_low(new HeaderText(Fmt::temperatureShort(day.low), 15, QFont::Medium, Tone::Cyan))
    , m_probability(new HeaderText(chanceText(day.precipitationProbability), 12, QFont::Normal,
                                   Tone::Secondary))
{
    // 90 wide; larger text widens the card rather than cut its lines, and a card keeps
    // its height, so a header that runs out of room clips at the bottom instead of
    // squeezing lines into each other.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Daily cards always show the daytime symbol.
    m_symbol->setSymbol(day.code.symbolName(true));
    m_date->setAlignment(Qt::AlignCenter);
    m_probability->setAlignment(Qt::AlignCenter);

    auto* temperatures = new QHBoxLayout;
    temperatures->setSpacing(3);
    temperatures->addStretch();
    temperatures->addWidget(m_high);
    temperatures->addWidget(m_slash);
    temperatures->addWidget(m_low);
    temperatures->addStretch();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 10, 6, 10);
    column->setSpacing(5);
    column->addWidget(m_date);
    column->addWidget(m_symbol, 0, Qt::AlignHCenter);
    column->addLayout(temperatures);
    column->addWidget(m_probability);
    column->addStretch();
    setScale(scale);
}

void ForecastCard::setScale(double scale)
{
    for (HeaderText* text : {m_date, m_high, m_slash, m_low, m_probability})
        text->setScale(scale);
}

Tone ForecastCard::dateTone(const DailyForecast& day)
{
    // The weekday as the card's date text shows it (the system's zone); holidays by the
    // Japanese calendar.
    const int weekday = day.date.toLocalTime().date().dayOfWeek();
    if (weekday == Qt::Sunday || JapaneseHoliday::isHoliday(day.date))
        return Tone::Red;
    if (weekday == Qt::Saturday)
        return Tone::Blue;
    return Tone::Primary;
}

QSize ForecastCard::sizeHint() const
{
    const QSize natural = QWidget::sizeHint();
    return {std::max(natural.width(), kCardWidth), natural.height()};
}

QSize ForecastCard::minimumSizeHint() const
{
    return sizeHint();
}
