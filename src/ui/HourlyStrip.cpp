#include "ui/HourlyStrip.h"

#include "ui/HourlyCard.h"

HourlyStrip::HourlyStrip(QWidget* parent)
    : CardStrip(parent)
{}

void HourlyStrip::setHours(const QList<HourlyForecast>& hours)
{
    if (hours == m_hours)
        return;
    m_hours = hours;
    rebuild();
}

void HourlyStrip::setScale(double scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    // New cards rather than new fonts in the old ones: the row inside the scroll area only
    // learns the cards' sizes reliably when it is built.
    rebuild();
}

void HourlyStrip::rebuild()
{
    QList<QWidget*> cards;
    cards.reserve(m_hours.size());
    for (const HourlyForecast& hour : std::as_const(m_hours)) {
        auto* card = new HourlyCard(hour, m_scale);
        card->setObjectName(hour.id);
        cards.append(card);
    }
    setCards(cards);
}

HourlyCard* HourlyStrip::card(int index) const
{
    return static_cast<HourlyCard*>(cardAt(index));
}
