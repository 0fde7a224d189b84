#include "radar/ListingSchedule.h"

#include <algorithm>
#include <cmath>

namespace {

double elapsedSeconds(const QDateTime& from, const QDateTime& to)
{
    return double(from.msecsTo(to)) / 1000.0;
}

} // namespace

void ListingSchedule::noteList(const QDateTime& at, const QDateTime& newest)
{
    if (newest.isValid() && (!m_newest.isValid() || newest > m_newest)) {
        // Listed after the last answer that lacked it and by this one; a listing can never
        // come before the time it lists.
        if (m_newest.isValid() && m_lastAnswered.isValid())
            learn({std::max(0.0, elapsedSeconds(newest, m_lastAnswered)),
                   elapsedSeconds(newest, at)});
        m_newest = newest;
    }
    m_lastAnswered = at;
    m_lastAsked = at;
}

void ListingSchedule::noteRequest(const QDateTime& at)
{
    m_lastAsked = at;
}

void ListingSchedule::learn(Delay observed)
{
    if (observed.high <= observed.low)
        return;
    if (!m_delay) {
        // An answer long after the one before (a start, a wake, an outage) is too vague a
        // start; later it still narrows what is known from above.
        if (observed.high - observed.low <= m_options.periodSeconds / 2)
            m_delay = observed;
        return;
    }
    const double tolerance = m_options.toleranceSeconds;
    const Delay both{std::max(m_delay->low - tolerance, observed.low),
                     std::min(m_delay->high + tolerance, observed.high)};
    if (both.low < both.high) {
        m_delay = both;
        m_outliers = 0;
        return;
    }
    // Apart by more than the jitter: one listing may just be late, two in a row mean the
    // agency's phase moved, and it is learnt again from this one.
    if (++m_outliers >= 2) {
        m_delay = observed;
        m_outliers = 0;
    }
}

bool ListingSchedule::isPhaseKnown() const
{
    return m_delay && m_delay->high - m_delay->low <= m_options.knownWithinSeconds;
}

QDateTime ListingSchedule::dueListing(const QDateTime& now, bool* missedOne) const
{
    const double period = m_options.periodSeconds;
    const double windowEnd = m_delay->high + m_options.lateSeconds;
    // The first k ≥ 1 with newest + k·period + windowEnd > now.
    const double past = elapsedSeconds(m_newest, now) - windowEnd;
    const qint64 k = std::max<qint64>(1, qint64(std::floor(past / period)) + 1);
    *missedOne = k > 1;
    return m_newest.addMSecs(qint64(double(k) * period * 1000.0));
}

double ListingSchedule::secondsUntilNextPoll(const QDateTime& now) const
{
    const auto until = [&now](const QDateTime& at) {
        return std::max(0.0, elapsedSeconds(now, at));
    };
    const QDateTime steady =
        m_lastAsked.isValid() ? m_lastAsked.addMSecs(qint64(m_options.steadySeconds * 1000)) : now;
    if (!m_delay || !m_newest.isValid())
        return until(steady);

    bool missedOne = false;
    const QDateTime due = dueListing(now, &missedOne);
    // Not there at the last answer, so not listed before it.
    double low = m_delay->low;
    if (m_lastAnswered.isValid())
        low = std::max(low, elapsedSeconds(due, m_lastAnswered));
    const double high = m_delay->high;
    double offset = 0;
    if (high - low > m_options.knownWithinSeconds)
        offset = (low + high) / 2; // still learning: halve what is possible
    else
        offset = std::min(m_delay->low + 1, high); // known: just after it can first be there
    QDateTime next = due.addMSecs(qint64(offset * 1000));
    if (m_lastAsked.isValid())
        next = std::max(next, m_lastAsked.addMSecs(qint64(m_options.briskSeconds * 1000)));
    // A listing that did not come when due is looked for at the steady pace meanwhile.
    if (missedOne)
        next = std::min(next, steady);
    return until(next);
}

std::optional<QDateTime> ListingSchedule::nextListing(const QDateTime& now) const
{
    if (!isPhaseKnown() || !m_newest.isValid())
        return std::nullopt;
    bool missedOne = false;
    const QDateTime due = dueListing(now, &missedOne);
    return due.addMSecs(qint64(m_delay->high * 1000));
}
