#pragma once

#include "ui/WeatherHeaderViewStrip.h"
#include "weather/WeatherSnapshot.h"

class ForecastCard;

// The daily forecast as a scrolling row of cards, one per day of the snapshot.
class ForecastStrip : public CardStrip {
    Q_OBJECT

public:
    explicit ForecastStrip(QWidget* parent = nullptr);

    // An equal list keeps the cards as they are.
    void setDays(const QList<DailyForecast>& days);
    void setScale(double scale);

    const QList<DailyForecast>& days() const { return m_days; }
    ForecastCard* card(int index) const;

private:
    void rebuild();

    QList<DailyForecast> m_days;
    double m_scale = 1.0;
};
