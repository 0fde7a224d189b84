#include "ui/LocationPickerView.h"

#include "app/AppState.h"
#include "locations/LocationStore.h"
#include "ui/LocationPickerPanel.h"
#include "ui/PaneStyle.h"
#include "ui/Popover.h"
#include "ui/ToneLabel.h"
#include "ui/ToneSymbol.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>

LocationPickerButton::LocationPickerButton(QWidget* parent)
    : QAbstractButton(parent)
    , m_name(new ToneLabel(QString(), 13, QFont::Normal, ToneLabel::Tone::Primary, this))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setSpacing(5);
    layout->addWidget(
        new ToneSymbol(QStringLiteral("mappin.and.ellipse"), 13, ToneLabel::Tone::Primary, this));
    m_name->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_name->setTextFormat(Qt::PlainText);
    layout->addWidget(m_name);
    layout->addWidget(new ToneSymbol(QStringLiteral("chevron.up.chevron.down"), 8,
                                     ToneLabel::Tone::Secondary, this));
}

void LocationPickerButton::setName(const QString& name)
{
    if (m_name->text() == name)
        return;
    m_name->setText(name);
    setText(name);
    updateGeometry();
}

void LocationPickerButton::paintEvent(QPaintEvent*)
{
    if (!isDown() && !underMouse())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(PaneStyle::faded(PaneStyle::primaryText(palette()), isDown() ? 0.16 : 0.08));
    painter.drawRoundedRect(QRectF(rect()), 5, 5);
}

LocationPickerView::LocationPickerView(AppState* state, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_button(new LocationPickerButton(this))
    , m_popover(new Popover(this))
    , m_panel(new LocationPickerPanel(state))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_button);
    m_popover->setContent(m_panel);

    LocationStore* locations = m_state->locations();
    m_button->setName(locations->selected().name);
    connect(locations, &LocationStore::selectedChanged, this,
            [this] { m_button->setName(m_state->locations()->selected().name); });
    // The popover closes itself on a click on this button, so a click only ever opens it.
    connect(m_button, &QAbstractButton::clicked, this, [this] { setPresented(!m_presented); });
    connect(m_panel, &LocationPickerPanel::closeRequested, this, [this] { setPresented(false); });
    connect(m_popover, &Popover::closed, this, &LocationPickerView::onPopoverClosed);
}

LocationPickerView::~LocationPickerView()
{
    // The popover goes with this widget; its last "closed" must not come back here.
    disconnect(m_popover, nullptr, this, nullptr);
}

void LocationPickerView::setPresented(bool presented)
{
    if (presented == m_presented)
        return;
    m_presented = presented;
    if (presented) {
        m_popover->showAnchoredTo(m_button);
        m_panel->searchField()->setFocus(Qt::PopupFocusReason);
    } else {
        m_popover->close();
    }
    Q_EMIT isPresentedChanged(presented);
}

void LocationPickerView::onPopoverClosed()
{
    if (!m_presented)
        return;
    m_presented = false;
    Q_EMIT isPresentedChanged(false);
}

QString LocationPickerView::query() const
{
    return m_panel->query();
}

void LocationPickerView::setQuery(const QString& query)
{
    m_panel->setQuery(query);
}
