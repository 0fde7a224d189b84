#pragma once

#include "outlook/RainOutlook.h"

#include <QDateTime>
#include <QList>
#include <QWidget>

// The two hours around the newest radar frame at the place as a row of 5-minute bars: the
// past hour of observations (muted), the newest observation under the "now" mark, then the
// hour of nowcast. A bar's height and colour are its rain band; no rain is a thin baseline and
// a frame that could not be had is a hatched slot. Hovering a bar tells its time and band.
// Bars keep their size; the time labels under them follow the text scale.
class RainOutlookStrip : public QWidget {
    Q_OBJECT

public:
    struct Bar {
        QDateTime time;
        int band = 0;
        bool known = true;
        bool past = false; // an observation before the newest one
        bool now = false;  // the newest observation
    };

    explicit RainOutlookStrip(QWidget* parent = nullptr);

    void setOutlook(const RainOutlook& outlook);
    void setScale(double scale);

    // By time ascending; hourly forecasts are not among them.
    const QList<Bar>& bars() const { return m_bars; }
    // The area of bar `index` (the whole height of its slot); empty when there is no such bar.
    QRect barRect(int index) const;
    // What hovering at `position` shows: "14:35　5〜10 mm/h", "雨なし", "データなし"; empty off the
    // bars.
    QString toolTipAt(QPoint position) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QFont labelFont() const;
    int barAt(QPoint position) const; // -1 off the bars
    QString toolTip(int index) const;
    QRect slotRect(int slot) const;

    QDateTime m_start; // the first slot's time, an hour before the newest observation
    QList<Bar> m_bars;
    QList<int> m_slots; // each bar's 5-minute slot counted from m_start
    double m_scale = 1.0;
};
