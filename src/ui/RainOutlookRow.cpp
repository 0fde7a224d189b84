#include "ui/RainOutlookRow.h"

#include "outlook/RainOutlookText.h"
#include "ui/RainOutlookStrip.h"
#include "ui/WeatherHeaderViewStyle.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

using WeatherHeaderStyle::Tone;

namespace {

constexpr std::chrono::minutes kRetellEvery{1};

} // namespace

RainOutlookRow::RainOutlookRow(QWidget* parent)
    : QWidget(parent)
    , m_strip(new RainOutlookStrip)
    , m_caption(new HeaderText(QStringLiteral("雨の見込み"), 11, QFont::Normal, Tone::Secondary))
    , m_sentence(new HeaderText(QString(), 14, QFont::Normal, Tone::Primary))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* words = new QVBoxLayout;
    words->setSpacing(2);
    words->addStretch();
    words->addWidget(m_caption);
    words->addWidget(m_sentence);
    words->addStretch();

    auto* row = new QHBoxLayout(this);
    // The left edge of the current conditions' column.
    row->setContentsMargins(18, 8, 18, 6);
    row->setSpacing(18);
    row->addWidget(m_strip, 0, Qt::AlignVCenter);
    row->addLayout(words, 1);
}

void RainOutlookRow::setOutlook(const RainOutlook& outlook)
{
    if (outlook == m_outlook)
        return;
    m_outlook = outlook;
    m_strip->setOutlook(outlook);
    refresh();
}

void RainOutlookRow::setScale(double scale)
{
    m_strip->setScale(scale);
    m_caption->setScale(scale);
    m_sentence->setScale(scale);
}

void RainOutlookRow::refresh()
{
    m_tick.cancel();
    if (m_outlook.isEmpty()) {
        m_sentence->clear();
        return;
    }
    const QString sentence = RainOutlookText::fullText(m_outlook, Clock::current().now());
    m_sentence->setText(sentence);
    setAccessibleName(m_caption->text() + u'：' + sentence);
    m_tick.start(kRetellEvery, [this] {
        m_tick.markFired();
        refresh();
    });
}
