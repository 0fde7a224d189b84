#pragma once

#include "outlook/RainOutlook.h"
#include "platform/Clock.h"

#include <QWidget>

class HeaderText;
class RainOutlookStrip;

// The forecast header's rain row: the two-hour strip and the one sentence about the hour
// ahead. The sentence depends on the time as well as the outlook (an outlook goes stale, the
// minutes to the rain count down), so while there is an outlook it is told again every minute
// of the program clock.
class RainOutlookRow : public QWidget {
    Q_OBJECT

public:
    explicit RainOutlookRow(QWidget* parent = nullptr);

    void setOutlook(const RainOutlook& outlook);
    void setScale(double scale);

    const RainOutlook& outlook() const { return m_outlook; }
    RainOutlookStrip* strip() const { return m_strip; }
    HeaderText* sentenceText() const { return m_sentence; }

private:
    void refresh();

    RainOutlook m_outlook;
    RainOutlookStrip* m_strip;
    HeaderText* m_caption;
    HeaderText* m_sentence;
    ScheduledTimer m_tick;
};
