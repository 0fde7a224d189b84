#pragma once

#include "ui/Material.h"

#include <QDateTime>
#include <QString>

class ToneLabel;

// The band over a radar pane while the agency cannot be reached: "オフライン — 9:05 時点の
// データ", on the same material as the bars under the maps, so that frames from the saved
// lists never read as current. Hidden while the time is invalid.
class OfflineBanner : public MaterialPanel {
    Q_OBJECT

public:
    explicit OfflineBanner(QWidget* parent = nullptr);

    // "09:05" in Japan time, whatever the computer's zone.
    static QString clock(const QDateTime& instant);
    // "オフライン — 09:05 時点のデータ".
    static QString text(const QDateTime& dataTime);

    // The time of the data shown; invalid hides the banner.
    void setDataTime(const QDateTime& dataTime);
    QString shownText() const;

private:
    ToneLabel* m_text;
};
