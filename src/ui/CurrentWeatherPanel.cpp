#include "ui/CurrentWeatherPanel.h"

#include "weather/Fmt.h"
#include "weather/WindDirection.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <cmath>

using WeatherHeaderStyle::Tone;

namespace {

const QString kTitle = QStringLiteral("現在の天気");
const QString kMissing = QStringLiteral("—");

QString rounded(double value, const char* unit)
{
    return QString::number(qint64(std::round(value))) + QLatin1String(unit);
}

QString clockOrMissing(const std::optional<QDateTime>& instant)
{
    return instant ? Fmt::clock(*instant) : kMissing;
}

} // namespace

CurrentWeatherPanel::CurrentWeatherPanel(QWidget* parent)
    : QWidget(parent)
    , m_column(new QVBoxLayout(this))
    , m_title(new HeaderText(kTitle, 24, QFont::Normal, Tone::Primary))
    , m_stamp(new HeaderText(QString(), 11, QFont::Normal, Tone::Red))
{
    setFixedWidth(300);
    setAccessibleName(kTitle);
    m_column->setContentsMargins(18, 14, 18, 14);
    m_column->setSpacing(10);
    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(8);
    titleRow->addWidget(m_title, 0, Qt::AlignBaseline);
    titleRow->addWidget(m_stamp, 0, Qt::AlignBaseline);
    titleRow->addStretch();
    m_stamp->hide();
    m_column->addLayout(titleRow);
    m_column->addStretch();
    rebuild();
}

void CurrentWeatherPanel::setConditions(const std::optional<CurrentConditions>& conditions)
{
    if (conditions == m_conditions)
        return;
    m_conditions = conditions;
    rebuild();
}

void CurrentWeatherPanel::setScale(double scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    // Rebuilt rather than re-sized: layouts that were never shown keep their children's
    // old sizes.
    rebuild();
}

void CurrentWeatherPanel::setStamp(const QString& stamp)
{
    m_stamp->setText(stamp);
    m_stamp->setVisible(!stamp.isEmpty());
}

void CurrentWeatherPanel::setPlaceName(const QString& name)
{
    setAccessibleName(name.isEmpty() ? kTitle : kTitle + u'（' + name + u'）');
}

QList<CurrentWeatherPanel::Detail> CurrentWeatherPanel::details(const CurrentConditions& c)
{
    return {
        {QStringLiteral("体感気温"), Fmt::temperature(c.apparentTemperature)},
        {QStringLiteral("露点温度"), Fmt::temperature(c.dewPoint)},
        {QStringLiteral("風速"), rounded(c.windSpeed, " km/h")},
        {QStringLiteral("湿度"), rounded(c.humidity, " %")},
        {QStringLiteral("風向き"), windDirectionLabel(c.windDirection)},
        {QStringLiteral("日の出"), clockOrMissing(c.sunrise)},
        {QStringLiteral("雨量"), QString::asprintf("%.0f mm", c.precipitation)},
        {QStringLiteral("日の入り"), clockOrMissing(c.sunset)},
        {QStringLiteral("気圧"), rounded(c.pressure, " mbar")},
        {QStringLiteral("日照時間"), Fmt::duration(c.daylightDuration)},
    };
}

void CurrentWeatherPanel::rebuild()
{
    delete m_body;
    m_symbol = nullptr;
    m_label = nullptr;
    m_captions.clear();
    m_values.clear();

    m_body = new QWidget;
    auto* body = new QVBoxLayout(m_body);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(10);

    if (!m_conditions) {
        m_temperature = new HeaderText(kMissing, 30, QFont::Light, Tone::Secondary);
        body->addWidget(m_temperature);
    } else {
        const CurrentConditions& c = *m_conditions;
        m_symbol = new SymbolView(40, QSize(62, 46));
        m_symbol->setSymbol(c.code.symbolName(c.isDay));
        m_temperature =
            new HeaderText(Fmt::temperature(c.temperature), 30, QFont::Light, Tone::Primary);
        auto* headline = new QHBoxLayout;
        headline->setSpacing(12);
        headline->addWidget(m_symbol, 0, Qt::AlignVCenter);
        headline->addWidget(m_temperature, 0, Qt::AlignVCenter);
        headline->addStretch();
        body->addLayout(headline);

        m_label = new HeaderText(c.code.label(), 13, QFont::Normal, Tone::Secondary);
        body->addWidget(m_label);

        auto* grid = new QGridLayout;
        grid->setHorizontalSpacing(14);
        grid->setVerticalSpacing(3);
        const QList<Detail> rows = details(c);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            auto* caption =
                new HeaderText(rows[i].caption + u'：', 11, QFont::Normal, Tone::Secondary);
            auto* value = new HeaderText(rows[i].value, 11, QFont::Normal, Tone::Primary);
            auto* cell = new QHBoxLayout;
            cell->setSpacing(4);
            cell->addWidget(caption);
            cell->addWidget(value);
            cell->addStretch();
            grid->addLayout(cell, int(i / 2), int(i % 2));
            m_captions.append(caption);
            m_values.append(value);
        }
        grid->setColumnStretch(2, 1);
        body->addLayout(grid);
    }
    // Below the title, above the closing stretch.
    m_column->insertWidget(1, m_body);
    applyScale();
}

void CurrentWeatherPanel::applyScale()
{
    m_title->setScale(m_scale);
    m_stamp->setScale(m_scale);
    for (HeaderText* text : {m_temperature, m_label}) {
        if (text)
            text->setScale(m_scale);
    }
    for (HeaderText* text : m_captions)
        text->setScale(m_scale);
    for (HeaderText* text : m_values)
        text->setScale(m_scale);
}
