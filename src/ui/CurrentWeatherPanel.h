#pragma once

#include "ui/WeatherHeaderViewStyle.h"
#include "weather/WeatherSnapshot.h"

#include <QList>
#include <QWidget>

#include <optional>

class QGridLayout;
class QVBoxLayout;

// The left part of the forecast header: "現在の天気", then the current condition's symbol,
// temperature and label with a grid of five rows of details, or "—" while there are no
// current conditions.
class CurrentWeatherPanel : public QWidget {
    Q_OBJECT

public:
    // One detail of the grid: its caption (without the colon) and its text.
    struct Detail {
        QString caption;
        QString value;
        friend bool operator==(const Detail&, const Detail&) = default;
    };

    explicit CurrentWeatherPanel(QWidget* parent = nullptr);

    void setConditions(const std::optional<CurrentConditions>& conditions);
    void setScale(double scale);
    // The place the conditions are for; read out by assistive tools, not drawn.
    void setPlaceName(const QString& name);
    // A note after the title on how old the conditions are ("オフライン — 09:05 時点");
    // empty hides it.
    void setStamp(const QString& stamp);
    HeaderText* stampText() const { return m_stamp; }

    const std::optional<CurrentConditions>& conditions() const { return m_conditions; }

    // The ten details in reading order (left then right cell of each row).
    static QList<Detail> details(const CurrentConditions& conditions);

    // Null while there are no conditions.
    SymbolView* symbolView() const { return m_symbol; }
    HeaderText* temperatureText() const { return m_temperature; }
    HeaderText* labelText() const { return m_label; }
    // The captions (with "：") and values of the grid, in the order of details().
    QList<HeaderText*> detailCaptions() const { return m_captions; }
    QList<HeaderText*> detailValues() const { return m_values; }

private:
    void rebuild();
    void applyScale();

    std::optional<CurrentConditions> m_conditions;
    double m_scale = 1.0;
    QVBoxLayout* m_column;
    QWidget* m_body = nullptr;
    HeaderText* m_title;
    HeaderText* m_stamp;
    SymbolView* m_symbol = nullptr;
    HeaderText* m_temperature = nullptr;
    HeaderText* m_label = nullptr;
    QList<HeaderText*> m_captions;
    QList<HeaderText*> m_values;
};
