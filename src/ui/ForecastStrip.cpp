#include "ui/ForecastStrip.h"

#include "ui/ForecastCard.h"

ForecastStrip::ForecastStrip(QWidget* parent)
    : CardStrip(parent)
{}

void ForecastStrip::setDays(const QList<DailyForecast>& days)
{
    if (days == m_days)
        return;
    m_days = days;
    rebuild();
}

void ForecastStrip::setScale(double scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    // New cards rather than new fonts in the old ones: the row inside the scroll area only
    // learns the cards' sizes reliably when it is built.
    rebuild();
}

void ForecastStrip::rebuild()
{
    QList<QWidget*> cards;
    cards.reserve(m_days.size());
    for (const DailyForecast& day : std::as_const(m_days)) {
        auto* card = new ForecastCard(day, m_scale);
        card->setObjectName(day.id);
        cards.append(card);
    }
    setCards(cards);
}

ForecastCard* ForecastStrip::card(int index) const
{
    return static_cast<ForecastCard*>(cardAt(index));
}
