#include "platform/Appearance.h"

#include <QColor>
#include <QCoreApplication>
#include <QGuiApplication>

namespace {

struct PaletteColors {
    QColor window;
    QColor text;
    QColor base;
    QColor alternateBase;
    QColor button;
    QColor highlight;
    QColor highlightedText;
    QColor link;
    QColor linkVisited;
    QColor toolTipBase;
    QColor toolTipText;
    QColor placeholderText;
    QColor disabledText;
    QColor disabledHighlight;
};

// The bevel roles (light, midlight, mid, dark, shadow) follow from the window colour so
// Fusion's frames and gradients stay visible on either background.
QPalette buildPalette(const PaletteColors& colors)
{
    QPalette palette;
    palette.setColor(QPalette::Window, colors.window);
    palette.setColor(QPalette::WindowText, colors.text);
    palette.setColor(QPalette::Base, colors.base);
    palette.setColor(QPalette::AlternateBase, colors.alternateBase);
    palette.setColor(QPalette::Text, colors.text);
    palette.setColor(QPalette::Button, colors.button);
    palette.setColor(QPalette::ButtonText, colors.text);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Highlight, colors.highlight);
    palette.setColor(QPalette::HighlightedText, colors.highlightedText);
    palette.setColor(QPalette::Link, colors.link);
    palette.setColor(QPalette::LinkVisited, colors.linkVisited);
    palette.setColor(QPalette::ToolTipBase, colors.toolTipBase);
    palette.setColor(QPalette::ToolTipText, colors.toolTipText);
    palette.setColor(QPalette::PlaceholderText, colors.placeholderText);

    const QColor dark = colors.window.darker(150);
    palette.setColor(QPalette::Light, colors.window.lighter(150));
    palette.setColor(QPalette::Midlight, colors.window.lighter(115));
    palette.setColor(QPalette::Mid, colors.window.darker(130));
    palette.setColor(QPalette::Dark, dark);
    palette.setColor(QPalette::Shadow, dark.darker(135));

    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, colors.disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Base, colors.window);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, colors.disabledHighlight);
    return palette;
}

bool hasGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

Appearance& Appearance::instance()
{
    static Appearance appearance;
    return appearance;
}

void Appearance::apply(Mode mode)
{
    const bool wasDark = isDark();
    m_mode = mode;

    if (hasGuiApplication()) {
        if (!m_systemPalette)
            m_systemPalette = QGuiApplication::palette();
        switch (mode) {
        case Mode::System:
            QGuiApplication::setPalette(*m_systemPalette);
            break;
        case Mode::Light:
            QGuiApplication::setPalette(lightPalette());
            break;
        case Mode::Dark:
            QGuiApplication::setPalette(darkPalette());
            break;
        }
    }

    m_applied = true;
    m_dark = darkFor(mode);
    if (m_dark != wasDark)
        Q_EMIT darkChanged(m_dark);
}

bool Appearance::isDark() const
{
    if (m_applied)
        return m_dark;
    // Until the first apply() the desktop's palette is in effect.
    return hasGuiApplication() && isDarkPalette(QGuiApplication::palette());
}

bool Appearance::darkFor(Mode mode) const
{
    switch (mode) {
    case Mode::System:
        return m_systemPalette && isDarkPalette(*m_systemPalette);
    case Mode::Light:
        return false;
    case Mode::Dark:
        return true;
    }
    return false;
}

QPalette Appearance::lightPalette()
{
    // Fusion's own light colours.
    return buildPalette({
        .window = QColor(239, 239, 239),
        .text = QColor(0, 0, 0),
        .base = QColor(255, 255, 255),
        .alternateBase = QColor(247, 247, 247),
        .button = QColor(239, 239, 239),
        .highlight = QColor(48, 140, 198),
        .highlightedText = QColor(255, 255, 255),
        .link = QColor(0, 0, 255),
        .linkVisited = QColor(255, 0, 255),
        .toolTipBase = QColor(255, 255, 220),
        .toolTipText = QColor(0, 0, 0),
        .placeholderText = QColor(0, 0, 0, 128),
        .disabledText = QColor(190, 190, 190),
        .disabledHighlight = QColor(145, 145, 145),
    });
}

QPalette Appearance::darkPalette()
{
    return buildPalette({
        .window = QColor(0x2b, 0x2b, 0x2b),
        .text = QColor(0xe6, 0xe6, 0xe6),
        .base = QColor(0x1f, 0x1f, 0x1f),
        .alternateBase = QColor(0x26, 0x26, 0x26),
        .button = QColor(0x35, 0x35, 0x35),
        .highlight = QColor(0x3d, 0x7a, 0xc7),
        .highlightedText = QColor(0xff, 0xff, 0xff),
        .link = QColor(0x6f, 0xa8, 0xec),
        .linkVisited = QColor(0xa9, 0x8b, 0xe0),
        .toolTipBase = QColor(0x3a, 0x3a, 0x3a),
        .toolTipText = QColor(0xe6, 0xe6, 0xe6),
        .placeholderText = QColor(0xe6, 0xe6, 0xe6, 128),
        .disabledText = QColor(0x80, 0x80, 0x80),
        .disabledHighlight = QColor(0x50, 0x50, 0x50),
    });
}

bool Appearance::isDarkPalette(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}
