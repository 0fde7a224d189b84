#include "ui/SymbolButton.h"

#include "platform/Icons.h"
#include "ui/PaneStyle.h"

#include <QPainter>

#include <algorithm>

SymbolButton::SymbolButton(const QString& symbol, QSize size, int symbolSize, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_size(size)
    , m_symbolSize(symbolSize)
{
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(size);
}

void SymbolButton::setSymbol(const QString& symbol)
{
    if (m_symbol == symbol)
        return;
    m_symbol = symbol;
    update();
}

void SymbolButton::paintEvent(QPaintEvent*)
{
    qreal opacity = 1.0;
    if (!isEnabled())
        opacity = 0.3;
    else if (isDown())
        opacity = 0.55;
    const QColor tint = PaneStyle::faded(PaneStyle::primaryText(palette()), opacity);
    QPainter painter(this);
    // The painter's scale rather than the screen's, so rendering into an image of another
    // pixel ratio stays sharp too.
    const qreal ratio = std::max(painter.deviceTransform().m11(), 1.0);
    const QImage image = Icons::image(m_symbol, QSizeF(m_symbolSize, m_symbolSize), ratio, tint);
    if (image.isNull())
        return;
    // Centred on whole pixels so the symbol stays sharp.
    const int x = (width() - m_symbolSize) / 2;
    const int y = (height() - m_symbolSize) / 2;
    painter.drawImage(QRectF(x, y, m_symbolSize, m_symbolSize), image);
}
