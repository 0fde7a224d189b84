#pragma once

#include "ui/WeatherHeaderViewStyle.h"
#include "weather/WeatherSnapshot.h"

#include <QWidget>

// One hour of the hourly strip: the clock time, the hour's symbol (by day or by night), the
// temperature and the chance of precipitation.
class HourlyCard : public QWidget {
    Q_OBJECT

public:
    explicit HourlyCard(const HourlyForecast& hour, double scale = 1.0, QWidget* parent = nullptr);

    static constexpr int kCardWidth = 90;

    void setScale(double scale);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    const HourlyForecast& hour() const { return m_hour; }

    HeaderText* timeText() const { return m_time; }
    SymbolView* symbolView() const { return m_symbol; }
    HeaderText* temperatureText() const { return m_temperature; }
    HeaderText* probabilityText() const { return m_probability; }

private:
    HourlyForecast m_hour;
    HeaderText* m_time;
    SymbolView* m_symbol;
    HeaderText* m_temperature;
    HeaderText* m_probability;
};
