#include "ui/TyphoonCard.h"

#include "ui/ToneLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

QList<TyphoonCard::DetailRow> TyphoonCard::detailRows(const TyphoonInfo& info)
{
    QList<DetailRow> rows;
    if (info.location)
        rows.append({QStringLiteral("存在地域"), *info.location});
    if (info.course) {
        QString value = *info.course;
        if (info.speedKmh)
            value += u' ' + *info.speedKmh + QStringLiteral(" km/h");
        rows.append({QStringLiteral("進行方向"), value});
    }
    if (info.pressureHpa)
        rows.append({QStringLiteral("中心気圧"), *info.pressureHpa + QStringLiteral(" hPa")});
    if (info.maxSustainedMs)
        rows.append({QStringLiteral("最大風速"), *info.maxSustainedMs + QStringLiteral(" m/s")});
    if (info.maxGustMs)
        rows.append({QStringLiteral("最大瞬間風速"), *info.maxGustMs + QStringLiteral(" m/s")});
    return rows;
}

TyphoonCard::TyphoonCard(const TyphoonInfo& info, QWidget* parent)
    : QWidget(parent)
    , m_info(info)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);

    auto* name =
        new ToneLabel(info.displayName(), 11, QFont::DemiBold, ToneLabel::Tone::Primary, this);
    name->setObjectName(QStringLiteral("name"));
    name->setWordWrap(true);
    column->addWidget(name);
    auto* category =
        new ToneLabel(info.categoryText, 9, QFont::Normal, ToneLabel::Tone::Secondary, this);
    category->setObjectName(QStringLiteral("category"));
    column->addWidget(category);

    for (const DetailRow& detail : detailRows(info)) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* label =
            new ToneLabel(detail.label, 10, QFont::Normal, ToneLabel::Tone::Secondary, this);
        auto* value =
            new ToneLabel(detail.value, 10, QFont::Normal, ToneLabel::Tone::Primary, this);
        value->setObjectName(QStringLiteral("value"));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // A long place description wraps instead of widening the fixed-width panel.
        value->setWordWrap(true);
        label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        row->addWidget(label, 0, Qt::AlignVCenter);
        row->addStretch(1);
        row->addWidget(value, 0, Qt::AlignVCenter);
        column->addLayout(row);
    }
}
