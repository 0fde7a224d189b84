#include "ui/ToneSymbol.h"

#include "platform/Icons.h"
#include "ui/PaneStyle.h"

#include <QPainter>

#include <algorithm>

ToneSymbol::ToneSymbol(const QString& name, int size, ToneLabel::Tone tone, QWidget* parent)
    : QWidget(parent)
    , m_name(name)
    , m_size(size)
    , m_tone(tone)
{
    setFixedSize(size, size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ToneSymbol::paintEvent(QPaintEvent*)
{
    QColor tint;
    switch (m_tone) {
    case ToneLabel::Tone::Primary:
        tint = PaneStyle::primaryText(palette());
        break;
    case ToneLabel::Tone::Secondary:
        tint = PaneStyle::secondaryText(palette());
        break;
    case ToneLabel::Tone::Orange:
        tint = PaneStyle::orange(palette());
        break;
    }
    QPainter painter(this);
    // The painter's scale rather than the screen's, so rendering into an image of another
    // pixel ratio stays sharp too.
    const qreal ratio = std::max(painter.deviceTransform().m11(), 1.0);
    const QImage symbol = Icons::image(m_name, QSizeF(size()), ratio, tint);
    if (!symbol.isNull())
        painter.drawImage(QRectF(rect()), symbol);
}
