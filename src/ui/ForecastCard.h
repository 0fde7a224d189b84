#pragma once

#include "ui/WeatherHeaderViewStyle.h"
#include "weather/WeatherSnapshot.h"

#include <QWidget>

// One day of the daily strip: the date (red on Sundays and holidays, blue on Saturdays), the
// day's symbol, the high and low, and the chance of precipitation.
class ForecastCard : public QWidget {
    Q_OBJECT

public:
    explicit ForecastCard(const DailyForecast& day, double scale = 1.0, QWidget* parent = nullptr);

    static constexpr int kCardWidth = 90;

    void setScale(double scale);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    const DailyForecast& day() const { return m_day; }

    // The date's colour: Sunday or a holiday red, Saturday blue, any other day primary.
    static WeatherHeaderStyle::Tone dateTone(const DailyForecast& day);

    HeaderText* dateText() const { return m_date; }
    SymbolView* symbolView() const { return m_symbol; }
    HeaderText* highText() const { return m_high; }
    HeaderText* lowText() const { return m_low; }
    HeaderText* probabilityText() const { return m_probability; }

private:
    DailyForecast m_day;
    HeaderText* m_date;
    SymbolView* m_symbol;
    HeaderText* m_high;
    HeaderText* m_slash;
    HeaderText* m_low;
    HeaderText* m_probability;
};
