#include "ui/PaneButton.h"

#include "platform/Icons.h"
#include "ui/ActivitySpinner.h"
#include "ui/Material.h"
#include "ui/PaneStyle.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>

namespace {

constexpr int kButtonPaddingX = 7;
constexpr int kButtonPaddingY = 4;
constexpr int kSymbolSize = 11;
constexpr int kSpacing = 4;
constexpr qreal kRadius = 5;

} // namespace

PaneButton::PaneButton(const QString& symbol, const QString& label, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
{
    setText(label);
    setFont(PaneStyle::font(10));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize PaneButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int width =
        kButtonPaddingX * 2 + kSymbolSize + kSpacing + metrics.horizontalAdvance(text());
    const int height = kButtonPaddingY * 2 + std::max(kSymbolSize, metrics.height());
    return {width, height};
}

void PaneButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Material::paint(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kRadius,
                    Material::Kind::Thin, palette());
    if (isDown() || underMouse())
        painter.fillRect(
            rect(), PaneStyle::faded(PaneStyle::primaryText(palette()), isDown() ? 0.12 : 0.06));
    const QColor ink = PaneStyle::primaryText(palette());
    const qreal ratio = devicePixelRatioF();
    const QImage symbol = Icons::image(m_symbol, QSizeF(kSymbolSize, kSymbolSize), ratio, ink);
    const int symbolY = (height() - kSymbolSize) / 2;
    painter.drawImage(QRectF(kButtonPaddingX, symbolY, kSymbolSize, kSymbolSize), symbol);
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRect(kButtonPaddingX + kSymbolSize + kSpacing, 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

const QString LoadingBadge::kLoadingText = QStringLiteral("雨雲を読み込み中");
const QString LoadingBadge::kFailedText =
    QStringLiteral("雨雲を取得できませんでした。自動で再試行します");

LoadingBadge::LoadingBadge(QWidget* parent)
    : QWidget(parent)
    , m_spinner(new ActivitySpinner(ActivitySpinner::kMini, this))
    , m_label(new QLabel(kLoadingText, this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kButtonPaddingX, kButtonPaddingY, kButtonPaddingX, kButtonPaddingY);
    layout->setSpacing(5);
    layout->addWidget(m_spinner);
    m_label->setFont(PaneStyle::font(10));
    layout->addWidget(m_label);
    auto* effect = new QGraphicsOpacityEffect(this);
    effect->setOpacity(0);
    setGraphicsEffect(effect);
    m_fade = new QPropertyAnimation(effect, "opacity", this);
    m_fade->setDuration(200);
    m_fade->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_fade, &QPropertyAnimation::finished, this, [this] {
        if (!m_shown)
            hide();
    });
    hide();
}

void LoadingBadge::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    m_fade->stop();
    m_fade->setEndValue(shown ? 1.0 : 0.0);
    if (shown)
        show();
    m_fade->start();
}

void LoadingBadge::setFailed(bool failed, const QString& reason)
{
    if (failed == m_spinner->isHidden() && toolTip() == (failed ? reason : QString()))
        return;
    m_spinner->setVisible(!failed);
    m_label->setText(failed ? kFailedText : kLoadingText);
    setToolTip(failed ? reason : QString());
    adjustSize();
}

QString LoadingBadge::text() const
{
    return m_label->text();
}

void LoadingBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Material::paint(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kRadius,
                    Material::Kind::Thin, palette());
}
