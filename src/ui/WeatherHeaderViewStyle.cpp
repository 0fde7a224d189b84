#include "ui/WeatherHeaderViewStyle.h"

#include "platform/Appearance.h"
#include "platform/Icons.h"
#include "ui/PaneStyle.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>

namespace WeatherHeaderStyle {

namespace {

constexpr double kQtPointsPerUnit = 72.0 / 96.0;

} // namespace

QString fontFamily()
{
    return QStringLiteral("Noto Sans CJK JP");
}

QFont font(double size, QFont::Weight weight)
{
    QFont result = QGuiApplication::font();
    // The application font second, so a system without the Japanese face stays legible.
    result.setFamilies({fontFamily(), result.family()});
    result.setPointSizeF(size * kQtPointsPerUnit);
    result.setWeight(weight);
    return result;
}

double sizeOf(const QFont& font)
{
    return font.pointSizeF() / kQtPointsPerUnit;
}

QColor color(Tone tone, const QPalette& palette)
{
    const bool dark = PaneStyle::isDark(palette);
    switch (tone) {
    case Tone::Primary:
        return PaneStyle::primaryText(palette);
    case Tone::Secondary:
        return PaneStyle::secondaryText(palette);
    case Tone::Red:
        return PaneStyle::red(palette);
    case Tone::Blue:
        return dark ? QColor(10, 132, 255) : QColor(0, 110, 230);
    case Tone::Cyan:
        return dark ? QColor(100, 210, 255) : QColor(0, 160, 210);
    }
    return PaneStyle::primaryText(palette);
}

} // namespace WeatherHeaderStyle

HeaderText::HeaderText(const QString& text, double baseSize, QFont::Weight weight,
                       WeatherHeaderStyle::Tone tone, QWidget* parent)
    : QLabel(text, parent)
    , m_baseSize(baseSize)
    , m_weight(weight)
    , m_tone(tone)
{
    setTextFormat(Qt::PlainText);
    applyFont();
    applyColor();
}

void HeaderText::setScale(double scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    applyFont();
}

void HeaderText::setTone(WeatherHeaderStyle::Tone tone)
{
    if (tone == m_tone)
        return;
    m_tone = tone;
    applyColor();
}

void HeaderText::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        applyColor();
}

void HeaderText::applyFont()
{
    setFont(WeatherHeaderStyle::font(scaledSize(), m_weight));
}

void HeaderText::applyColor()
{
    // Setting our own palette raises another PaletteChange.
    if (m_applyingColor)
        return;
    m_applyingColor = true;
    const QPalette surrounding =
        parentWidget() ? parentWidget()->palette() : QGuiApplication::palette();
    QPalette own = palette();
    own.setColor(QPalette::WindowText, WeatherHeaderStyle::color(m_tone, surrounding));
    setPalette(own);
    m_applyingColor = false;
}

HeaderDivider::HeaderDivider(Qt::Orientation orientation, int inset, QWidget* parent)
    : QWidget(parent)
    , m_orientation(orientation)
    , m_inset(inset)
{
    if (orientation == Qt::Vertical) {
        setFixedWidth(1);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    } else {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
}

QSize HeaderDivider::sizeHint() const
{
    return m_orientation == Qt::Vertical ? QSize(1, 2 * m_inset + 1) : QSize(2 * m_inset + 1, 1);
}

void HeaderDivider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QColor line = palette().color(QPalette::WindowText);
    line.setAlphaF(Appearance::isDarkPalette(palette()) ? 0.22f : 0.16f);
    const QRect area = m_orientation == Qt::Vertical ? rect().adjusted(0, m_inset, 0, -m_inset)
                                                     : rect().adjusted(m_inset, 0, -m_inset, 0);
    painter.fillRect(area, line);
}

SymbolView::SymbolView(double symbolSize, QSize frame, QWidget* parent)
    : QWidget(parent)
    , m_symbolSize(symbolSize)
{
    setFixedSize(frame);
}

void SymbolView::setSymbol(const QString& name)
{
    if (name == m_symbol)
        return;
    m_symbol = name;
    m_image = QImage();
    update();
}

void SymbolView::paintEvent(QPaintEvent*)
{
    if (m_symbol.isEmpty())
        return;
    const QSizeF size(m_symbolSize, m_symbolSize);
    QPainter painter(this);
    // The device painted on: the screen, or an image of another ratio when rendered.
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (m_image.isNull() || m_image.devicePixelRatio() != ratio)
        m_image = Icons::image(m_symbol, size, ratio);
    if (m_image.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPointF origin((width() - m_symbolSize) / 2, (height() - m_symbolSize) / 2);
    painter.drawImage(QRectF(origin, size), m_image);
}
