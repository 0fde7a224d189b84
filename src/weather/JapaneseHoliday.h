#pragma once

#include <QDate>
#include <QDateTime>

// Japan's public holidays by fixed rules that are the same every year (no historical
// changes or one-off moves): the fixed and Monday holidays, both equinoxes by their
// approximation formula, the substitute holiday on the Monday after a Sunday holiday, and
// the citizens' holiday between two holidays. Dates are taken in Japan time whatever the
// system's time zone is.
class JapaneseHoliday {
public:
    // Whether the Japanese calendar day that contains `instant` is a holiday.
    static bool isHoliday(const QDateTime& instant);
    // The same for a day of the Japanese calendar.
    static bool isHoliday(QDate day);

private:
    static bool fixedHoliday(QDate day);
};
