#include "ui/WeatherHeaderViewStrip.h"

#include "ui/WeatherHeaderViewStyle.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

constexpr int kIndicatorHeight = 7;
constexpr int kDividerInset = 22;

// Thin and translucent, so it reads over either theme without taking room.
const char* const kIndicatorStyle =
    "QScrollBar:horizontal { height: 7px; background: transparent; margin: 0 4px; }"
    "QScrollBar::handle:horizontal { background: rgba(128, 128, 128, 140); border-radius: 3px;"
    " min-width: 24px; }"
    "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; }"
    "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }";

} // namespace

CardStrip::CardStrip(QWidget* parent)
    : QScrollArea(parent)
    , m_indicator(new QScrollBar(Qt::Horizontal, this))
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    m_indicator->setStyleSheet(QLatin1String(kIndicatorStyle));
    m_indicator->hide();
    QScrollBar* bar = horizontalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, &CardStrip::updateIndicator);
    connect(bar, &QScrollBar::valueChanged, m_indicator, &QScrollBar::setValue);
    connect(m_indicator, &QScrollBar::valueChanged, bar, &QScrollBar::setValue);

    setCards({});
}

QSize CardStrip::sizeHint() const
{
    const QSize content = widget() ? widget()->sizeHint() : QSize();
    return {content.width(), content.height()};
}

QSize CardStrip::minimumSizeHint() const
{
    return {0, 0};
}

void CardStrip::setCards(const QList<QWidget*>& cards)
{
    const int position = horizontalScrollBar()->value();
    auto* row = new QWidget;
    row->setAutoFillBackground(false);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->setSpacing(0);
    for (qsizetype i = 0; i < cards.size(); ++i) {
        layout->addWidget(cards[i], 0, Qt::AlignTop);
        if (i + 1 < cards.size())
            layout->addWidget(new HeaderDivider(Qt::Vertical, kDividerInset));
    }
    layout->addStretch();
    // The old row and its cards go with it.
    setWidget(row);
    m_cards = cards;
    updateGeometry();
    horizontalScrollBar()->setValue(position);
}

void CardStrip::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    placeIndicator();
}

void CardStrip::wheelEvent(QWheelEvent* event)
{
    QScrollBar* bar = horizontalScrollBar();
    const QPoint delta = event->angleDelta();
    if (bar->maximum() > 0 && delta.x() == 0 && delta.y() != 0) {
        // One notch (120) moves about a card.
        bar->setValue(bar->value() - delta.y() * 90 / 120);
        event->accept();
        return;
    }
    QScrollArea::wheelEvent(event);
}

void CardStrip::placeIndicator()
{
    m_indicator->setGeometry(0, height() - kIndicatorHeight - 1, width(), kIndicatorHeight);
    m_indicator->raise();
}

void CardStrip::updateIndicator()
{
    QScrollBar* bar = horizontalScrollBar();
    m_indicator->setRange(bar->minimum(), bar->maximum());
    m_indicator->setPageStep(bar->pageStep());
    m_indicator->setSingleStep(bar->singleStep());
    m_indicator->setValue(bar->value());
    m_indicator->setVisible(bar->maximum() > 0);
    placeIndicator();
}
