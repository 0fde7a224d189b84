#pragma once

#include "ui/WeatherHeaderViewStrip.h"
#include "weather/WeatherSnapshot.h"

class HourlyCard;

// The coming hours as a scrolling row of cards, one per hour of the snapshot.
class HourlyStrip : public CardStrip {
    Q_OBJECT

public:
    explicit HourlyStrip(QWidget* parent = nullptr);

    // An equal list keeps the cards as they are.
    void setHours(const QList<HourlyForecast>& hours);
    void setScale(double scale);

    const QList<HourlyForecast>& hours() const { return m_hours; }
    HourlyCard* card(int index) const;

private:
    void rebuild();

    QList<HourlyForecast> m_hours;
    double m_scale = 1.0;
};
