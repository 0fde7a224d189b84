#include "mapwidget/TextAnnotationView.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

TextAnnotationView::TextAnnotationView(QString reuseIdentifier)
    : MapAnnotationView(std::move(reuseIdentifier))
{
    m_font.setPixelSize(12);
    updateSize();
}

void TextAnnotationView::setText(const QString& text)
{
    if (m_text == text && !m_text.isNull())
        return;
    m_text = text;
    updateSize();
    setNeedsDisplay();
}

void TextAnnotationView::setFont(const QFont& font)
{
    m_font = font;
    updateSize();
    setNeedsDisplay();
}

void TextAnnotationView::setTextColor(const QColor& color)
{
    if (m_textColor != color) {
        m_textColor = color;
        setNeedsDisplay();
    }
}

void TextAnnotationView::setHalo(const QColor& color, double radius)
{
    m_haloColor = color;
    m_haloRadius = std::isfinite(radius) ? std::max(radius, 0.0) : 0.0;
    updateSize();
    setNeedsDisplay();
}

void TextAnnotationView::updateSize()
{
    const QFontMetricsF metrics(m_font);
    const double pad = std::ceil(m_haloRadius);
    setSize(QSizeF(std::ceil(metrics.horizontalAdvance(m_text)) + 2 * pad,
                   std::ceil(metrics.height()) + 2 * pad));
}

void TextAnnotationView::paint(QPainter& painter) const
{
    if (m_text.isEmpty())
        return;
    const QFontMetricsF metrics(m_font);
    const double pad = std::ceil(m_haloRadius);
    QPainterPath path;
    path.addText(QPointF(pad, pad + metrics.ascent()), m_font, m_text);

    if (m_haloRadius > 0 && m_haloColor.alpha() > 0) {
        // Three widening strokes, fainter outwards, give a soft edge without a blur pass.
        const double shares[] = {1.0, 0.66, 0.33};
        for (int i = 2; i >= 0; --i) {
            QColor color = m_haloColor;
            color.setAlphaF(m_haloColor.alphaF() * (i == 0 ? 1.0 : 0.45));
            painter.strokePath(path, QPen(color, 2 * m_haloRadius * shares[2 - i] + 0.5,
                                          Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
    }
    painter.fillPath(path, m_textColor);
}
