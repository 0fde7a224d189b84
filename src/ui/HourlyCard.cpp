#include "ui/HourlyCard.h"

#include "weather/Fmt.h"

#include <QVBoxLayout>

#include <algorithm>

using WeatherHeaderStyle::Tone;

HourlyCard::HourlyCard(const HourlyForecast& hour, double scale, QWidget* parent)
    : QWidget(parent)
    , m_hour(hour)
    , m_time(new HeaderText(Fmt::clock(hour.date), 13, QFont::Normal, Tone::Primary))
    , m_symbol(new SymbolView(36, QSize(78, 48)))
    , m_temperature(
          new HeaderText(Fmt::temperature(hour.temperature), 13, QFont::Medium, Tone::Primary))
    , m_probability(new HeaderText(hour.precipitationProbability
                                       ? QString::number(*hour.precipitationProbability) + u'%'
                                       : QStringLiteral("—"),
                                   11, QFont::Normal, Tone::Secondary))
{
    // 90 wide; larger text widens the card rather than cut its lines, and a card keeps
    // its height, so a header that runs out of room clips at the bottom instead of
    // squeezing lines into each other.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_symbol->setSymbol(hour.code.symbolName(hour.isDay));
    for (HeaderText* text : {m_time, m_temperature, m_probability})
        text->setAlignment(Qt::AlignCenter);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 10, 6, 10);
    column->setSpacing(5);
    column->addWidget(m_time);
    column->addWidget(m_symbol, 0, Qt::AlignHCenter);
    column->addWidget(m_temperature);
    column->addWidget(m_probability);
    column->addStretch();
    setScale(scale);
}

void HourlyCard::setScale(double scale)
{
    for (HeaderText* text : {m_time, m_temperature, m_probability})
        text->setScale(scale);
}

QSize HourlyCard::sizeHint() const
{
    const QSize natural = QWidget::sizeHint();
    return {std::max(natural.width(), kCardWidth), natural.height()};
}

QSize HourlyCard::minimumSizeHint() const
{
    return sizeHint();
}
