#include "ui/ToneLabel.h"

#include "ui/PaneStyle.h"

#include <QEvent>
#include <QGuiApplication>

ToneLabel::ToneLabel(const QString& text, int pixelSize, QFont::Weight weight, Tone tone,
                     QWidget* parent)
    : QLabel(text, parent)
    , m_tone(tone)
{
    setFont(PaneStyle::font(pixelSize, weight));
    applyTone();
}

void ToneLabel::setTone(Tone tone)
{
    if (m_tone == tone)
        return;
    m_tone = tone;
    applyTone();
}

void ToneLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        applyTone();
}

void ToneLabel::applyTone()
{
    if (m_applying)
        return;
    m_applying = true;
    // The tone derives from the palette this label would inherit, not from its own, which
    // already carries the previous tone.
    const QPalette inherited =
        parentWidget() ? parentWidget()->palette() : QGuiApplication::palette();
    QColor color;
    switch (m_tone) {
    case Tone::Primary:
        color = PaneStyle::primaryText(inherited);
        break;
    case Tone::Secondary:
        color = PaneStyle::secondaryText(inherited);
        break;
    case Tone::Orange:
        color = PaneStyle::orange(inherited);
        break;
    }
    QPalette own = palette();
    if (own.color(QPalette::WindowText) != color) {
        own.setColor(QPalette::WindowText, color);
        setPalette(own);
    }
    m_applying = false;
}
