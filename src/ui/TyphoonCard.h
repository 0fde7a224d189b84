#pragma once

#include "typhoon/TyphoonInfo.h"

#include <QList>
#include <QString>
#include <QWidget>

// One cyclone in the typhoon panel: its name and category over up to five rows of the
// agency's figures, each only when published.
class TyphoonCard : public QWidget {
    Q_OBJECT

public:
    struct DetailRow {
        QString label;
        QString value;
        friend bool operator==(const DetailRow&, const DetailRow&) = default;
    };

    // The rows shown for `info`, in display order. A speed without a course is not shown.
    static QList<DetailRow> detailRows(const TyphoonInfo& info);

    explicit TyphoonCard(const TyphoonInfo& info, QWidget* parent = nullptr);

    const TyphoonInfo& info() const { return m_info; }

private:
    TyphoonInfo m_info;
};
