#pragma once

#include <QAbstractButton>
#include <QString>

#include <optional>

// The borderless buttons of the location picker.

// The colour a picker symbol is drawn in, taken from the palette it inherits.
enum class PickerTone { Primary, Secondary, Accent };

// A full-width row: a symbol, then the name and, when there is one, the subtitle under it.
// Highlighted under the mouse and while pressed.
class LocationPickerRow : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kSymbolSize = 11;
    static constexpr int kNameSize = 12;
    static constexpr int kSubtitleSize = 10;

    LocationPickerRow(const QString& symbol, PickerTone tone, const QString& name,
                      std::optional<QString> subtitle, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    PickerTone tone() const { return m_tone; }
    QString name() const { return m_name; }
    std::optional<QString> subtitle() const { return m_subtitle; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    PickerTone m_tone;
    QString m_name;
    std::optional<QString> m_subtitle;
};

// A small button that is only a symbol in one tone: faint while disabled, dimmed while
// pressed. Takes no keyboard focus.
class LocationPickerSymbolButton : public QAbstractButton {
    Q_OBJECT

public:
    LocationPickerSymbolButton(const QString& symbol, PickerTone tone, int symbolSize,
                               QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    QSize sizeHint() const override { return {m_symbolSize + 8, m_symbolSize + 8}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    PickerTone m_tone;
    int m_symbolSize;
};

QColor pickerToneColour(PickerTone tone, const QPalette& palette);
