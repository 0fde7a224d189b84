#include "outlook/RainAlert.h"

#include "outlook/RainBand.h"
#include "outlook/RainOutlookText.h"

RainAlert::RainAlert(QObject* parent)
    : QObject(parent)
{}

void RainAlert::setSettings(const RainAlertSettings& settings)
{
    if (settings == m_settings)
        return;
    const bool switchedOn = settings.enabled && !m_settings.enabled;
    m_settings = settings;
    if (switchedOn)
        rearm();
    evaluate();
}

void RainAlert::consider(const RainOutlook& outlook)
{
    if (outlook.placeName != m_last.placeName || outlook.place != m_last.place)
        rearm();
    m_last = outlook;
    evaluate();
}

void RainAlert::evaluate()
{
    if (!m_settings.enabled || m_last.isEmpty())
        return;
    const QDateTime now = Clock::current().now();
    if (RainOutlookText::isStale(m_last, now)) {
        // Nothing is known of the hour ahead: rain may have come and gone meanwhile.
        m_dryWait.cancel();
        return;
    }
    const int band = RainBand::atLeast(m_settings.minimumMmPerHour);
    const QDateTime until = now.addSecs(qint64(m_settings.leadMinutes) * 60);
    if (!expectsRain(m_last, band, until)) {
        if (!m_armed && !m_dryWait.isActive()) {
            m_dryWait.start(kDryBeforeRearming, [this] {
                m_dryWait.markFired();
                m_armed = true;
            });
        }
        return;
    }
    m_dryWait.cancel();
    if (!m_armed)
        return;
    m_armed = false;
    Q_EMIT alerted(title(), body(m_last, now));
}

void RainAlert::rearm()
{
    m_dryWait.cancel();
    m_armed = true;
}

bool RainAlert::expectsRain(const RainOutlook& outlook, int band, const QDateTime& until)
{
    const std::optional<RainOutlookStep> current = outlook.current();
    if (current && current->known && current->band >= band)
        return true;
    for (const RainOutlookStep& step : outlook.steps) {
        // Older observations are the past; the newest is `current`.
        if (step.kind != RainOutlookStep::Kind::Observation && step.known &&
            step.time > outlook.dataTime && step.time <= until && step.band >= band)
            return true;
    }
    return false;
}

QString RainAlert::title()
{
    return QStringLiteral("雨の見込み");
}

QString RainAlert::body(const RainOutlook& outlook, const QDateTime& now)
{
    const QString sentence = RainOutlookText::fullText(outlook, now);
    if (outlook.placeName.isEmpty())
        return sentence;
    return QStringLiteral("%1：%2").arg(outlook.placeName, sentence);
}
