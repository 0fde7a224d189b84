#pragma once

#include <QObject>
#include <QPalette>

#include <optional>

// Light or dark colours for the whole application. The Fusion style is chosen once at
// start-up; this only swaps its palette. Without a GUI application (command-line tools,
// tests) apply() only records the choice.
class Appearance : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool dark READ isDark NOTIFY darkChanged)

public:
    enum class Mode { System, Light, Dark };
    Q_ENUM(Mode)

    static Appearance& instance();

    // System goes back to the palette the desktop gave the application, as it was when
    // apply() was first called.
    void apply(Mode mode);

    Mode mode() const { return m_mode; }
    bool isDark() const;

    static QPalette lightPalette();
    static QPalette darkPalette();
    static bool isDarkPalette(const QPalette& palette);

Q_SIGNALS:
    void darkChanged(bool dark);

private:
    Appearance() = default;

    bool darkFor(Mode mode) const;

    Mode m_mode = Mode::System;
    bool m_applied = false;
    bool m_dark = false;
    std::optional<QPalette> m_systemPalette;
};
