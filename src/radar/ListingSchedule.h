#pragma once

#include <QDateTime>

#include <optional>

// When to ask again for a list the agency extends every five minutes. The agency lists each
// new time at a delay after it that barely changes from one listing to the next, so that
// delay (the phase) is learnt from the answers: a new time first seen at S, absent at the
// poll before (P), was listed in (P, S]. Until the phase is known the list is asked for at
// the steady pace; while it is being learnt, each expected listing is bisected (ask at the
// middle of what is still possible); once it is known to a few seconds, the schedule sleeps
// until the listing is due and then asks briskly until it shows. A listing that does not
// come (late, skipped) falls back to the steady pace, and one that comes elsewhere starts
// the learning again. Pure; times are the program clock's.
class ListingSchedule {
public:
    struct Options {
        double periodSeconds = 300;    // the agency's step between listed times
        double steadySeconds = 60;     // the pace without a known phase
        double briskSeconds = 3;       // the pace while a listing is due
        double lateSeconds = 15;       // how long past the expected moment to keep asking
        double knownWithinSeconds = 6; // the phase counts as known once this narrow
        double toleranceSeconds = 2;   // jitter allowed before the phase counts as moved
    };

    ListingSchedule() = default;
    explicit ListingSchedule(Options options)
        : m_options(options)
    {}

    // A list answered at `at`; `newest` is the newest time it lists (invalid: none).
    void noteList(const QDateTime& at, const QDateTime& newest);
    // A request made at `at` whose answer is not (or not yet) a list: it paces the next one
    // and teaches nothing.
    void noteRequest(const QDateTime& at);

    // Seconds from `now` until the next request (0: at once).
    double secondsUntilNextPoll(const QDateTime& now) const;

    bool isPhaseKnown() const;
    // When the next listing is expected, while the phase is known.
    std::optional<QDateTime> nextListing(const QDateTime& now) const;

private:
    struct Delay {
        double low;  // exclusive, seconds after the listed time
        double high; // inclusive
    };
    void learn(Delay observed);
    // The first listing after the newest whose asking window has not passed at `now`, and
    // whether an earlier one was missed.
    QDateTime dueListing(const QDateTime& now, bool* missedOne) const;

    Options m_options;
    QDateTime m_newest;       // the newest listed time seen
    QDateTime m_lastAnswered; // the last list answered (its newest was m_newest)
    QDateTime m_lastAsked;    // the last request, answered or not
    std::optional<Delay> m_delay;
    int m_outliers = 0; // listings in a row outside what is known
};
