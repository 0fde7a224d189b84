#include "ui/LocationPickerRows.h"

#include "platform/Icons.h"
#include "ui/PaneStyle.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kRowPaddingX = 6;
constexpr int kRowPaddingY = 4;
constexpr int kGap = 6;
constexpr int kLineGap = 1;

void drawSymbol(QPainter& painter, const QString& symbol, QRectF box, const QColor& tint)
{
    // The painter's scale rather than the screen's, so an image of another ratio stays sharp.
    const qreal ratio = std::max(painter.deviceTransform().m11(), 1.0);
    const QImage image = Icons::image(symbol, box.size(), ratio, tint);
    if (!image.isNull())
        painter.drawImage(box, image);
}

} // namespace

QColor pickerToneColour(PickerTone tone, const QPalette& palette)
{
    switch (tone) {
    case PickerTone::Primary:
        return PaneStyle::primaryText(palette);
    case PickerTone::Secondary:
        return PaneStyle::secondaryText(palette);
    case PickerTone::Accent:
        return PaneStyle::accent(palette);
    }
    return PaneStyle::primaryText(palette);
}

LocationPickerRow::LocationPickerRow(const QString& symbol, PickerTone tone, const QString& name,
                                     std::optional<QString> subtitle, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_tone(tone)
    , m_name(name)
    , m_subtitle(std::move(subtitle))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setText(name);
}

QSize LocationPickerRow::sizeHint() const
{
    const QFontMetrics name(PaneStyle::font(kNameSize));
    int height = name.height();
    int width = name.horizontalAdvance(m_name);
    if (m_subtitle) {
        const QFontMetrics subtitle(PaneStyle::font(kSubtitleSize));
        height += kLineGap + subtitle.height();
        width = std::max(width, subtitle.horizontalAdvance(*m_subtitle));
    }
    return {2 * kRowPaddingX + kSymbolSize + kGap + width,
            std::max(height, kSymbolSize) + 2 * kRowPaddingY};
}

QSize LocationPickerRow::minimumSizeHint() const
{
    return {2 * kRowPaddingX + kSymbolSize + kGap + 40, sizeHint().height()};
}

void LocationPickerRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colours = palette();
    const QColor text = PaneStyle::primaryText(colours);
    if (isEnabled() && (isDown() || underMouse())) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(PaneStyle::faded(text, isDown() ? 0.16 : 0.08));
        painter.drawRoundedRect(QRectF(rect()), 5, 5);
    }

    const QRectF symbolBox(kRowPaddingX, (height() - kSymbolSize) / 2, kSymbolSize, kSymbolSize);
    drawSymbol(painter, m_symbol, symbolBox, pickerToneColour(m_tone, colours));

    const int left = kRowPaddingX + kSymbolSize + kGap;
    const int width = std::max(0, this->width() - left - kRowPaddingX);
    const QFont nameFont = PaneStyle::font(kNameSize);
    const QFont subtitleFont = PaneStyle::font(kSubtitleSize);
    const QFontMetrics nameMetrics(nameFont);
    const QFontMetrics subtitleMetrics(subtitleFont);
    int total = nameMetrics.height();
    if (m_subtitle)
        total += kLineGap + subtitleMetrics.height();
    int top = (height() - total) / 2;

    painter.setFont(nameFont);
    painter.setPen(text);
    painter.drawText(QRect(left, top, width, nameMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     nameMetrics.elidedText(m_name, Qt::ElideRight, width));
    if (m_subtitle) {
        top += nameMetrics.height() + kLineGap;
        painter.setFont(subtitleFont);
        painter.setPen(PaneStyle::secondaryText(colours));
        painter.drawText(QRect(left, top, width, subtitleMetrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         subtitleMetrics.elidedText(*m_subtitle, Qt::ElideRight, width));
    }
}

LocationPickerSymbolButton::LocationPickerSymbolButton(const QString& symbol, PickerTone tone,
                                                       int symbolSize, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_tone(tone)
    , m_symbolSize(symbolSize)
{
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
}

void LocationPickerSymbolButton::paintEvent(QPaintEvent*)
{
    qreal opacity = 1.0;
    if (!isEnabled())
        opacity = 0.3;
    else if (isDown())
        opacity = 0.55;
    QPainter painter(this);
    const int x = (width() - m_symbolSize) / 2;
    const int y = (height() - m_symbolSize) / 2;
    drawSymbol(painter, m_symbol, QRectF(x, y, m_symbolSize, m_symbolSize),
               PaneStyle::faded(pickerToneColour(m_tone, palette()), opacity));
}
