#include "ui/OfflineBanner.h"

#include "platform/JapanTime.h"
#include "ui/ToneLabel.h"
#include "ui/ToneSymbol.h"

#include <QHBoxLayout>

OfflineBanner::OfflineBanner(QWidget* parent)
    : MaterialPanel(Material::Kind::Bar, parent)
    , m_text(new ToneLabel({}, 12, QFont::DemiBold, ToneLabel::Tone::Primary))
{
    setCornerRadius(8);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 7, 14, 7);
    row->setSpacing(6);
    row->addWidget(new ToneSymbol(QStringLiteral("exclamationmark.triangle"), 13,
                                  ToneLabel::Tone::Orange, this),
                   0, Qt::AlignVCenter);
    row->addWidget(m_text, 0, Qt::AlignVCenter);
    hide();
}

QString OfflineBanner::clock(const QDateTime& instant)
{
    return JapanTime::of(instant).toString(QStringLiteral("HH:mm"));
}

QString OfflineBanner::text(const QDateTime& dataTime)
{
    return QStringLiteral("オフライン — %1 時点のデータ").arg(clock(dataTime));
}

void OfflineBanner::setDataTime(const QDateTime& dataTime)
{
    if (!dataTime.isValid()) {
        hide();
        return;
    }
    m_text->setText(text(dataTime));
    setToolTip(QStringLiteral("気象庁に接続できないため、保存してある最後のデータを表示しています。"
                              "接続が戻ると自動で最新の表示に戻ります。"));
    adjustSize();
    show();
}

QString OfflineBanner::shownText() const
{
    return isHidden() ? QString() : m_text->text();
}
