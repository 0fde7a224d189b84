#pragma once

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QString>
#include <QWidget>

// Shared pieces of the forecast header: text in the header's tones and sizes, dividers and
// condition symbols.
//
// Sizes are given in the same unit as the header's frames (a 90-wide card, a 288-high band),
// which is Qt's device-independent pixel. Qt fonts are sized in typographic points at the
// logical 96 dpi, so one header unit is 0.75 Qt points; a desktop that asks for larger fonts
// (a higher logical dpi) thus still gets larger text.
namespace WeatherHeaderStyle {

enum class Tone { Primary, Secondary, Red, Blue, Cyan };

// The family every header text uses; Japanese glyphs and digits from one face.
QString fontFamily();
QFont font(double size, QFont::Weight weight = QFont::Normal);
// The size `font` was made with, in header units (the inverse of font()).
double sizeOf(const QFont& font);

// The tone's colour against `palette` (light or dark).
QColor color(Tone tone, const QPalette& palette);

} // namespace WeatherHeaderStyle

// One line of header text. Its size is a base size that the text scale multiplies; its colour
// follows the surrounding palette, so a theme switch needs no rebuild.
class HeaderText : public QLabel {
    Q_OBJECT

public:
    HeaderText(const QString& text, double baseSize, QFont::Weight weight,
               WeatherHeaderStyle::Tone tone, QWidget* parent = nullptr);

    void setScale(double scale);
    void setTone(WeatherHeaderStyle::Tone tone);

    WeatherHeaderStyle::Tone tone() const { return m_tone; }
    double baseSize() const { return m_baseSize; }
    // The size the text is drawn at: base size × scale, in header units.
    double scaledSize() const { return m_baseSize * m_scale; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyFont();
    void applyColor();

    double m_baseSize;
    double m_scale = 1.0;
    QFont::Weight m_weight;
    WeatherHeaderStyle::Tone m_tone;
    bool m_applyingColor = false;
};

// A one-unit line in a faint tone of the text colour, inset along its length.
class HeaderDivider : public QWidget {
    Q_OBJECT

public:
    HeaderDivider(Qt::Orientation orientation, int inset = 0, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation m_orientation;
    int m_inset;
};

// A weather symbol in its own colours, centred in a fixed frame and drawn at the screen's
// pixel ratio. The symbol's size is not affected by the text scale.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    SymbolView(double symbolSize, QSize frame, QWidget* parent = nullptr);

    void setSymbol(const QString& name);
    QString symbol() const { return m_symbol; }
    double symbolSize() const { return m_symbolSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    double m_symbolSize;
    QImage m_image; // drawn once per symbol and pixel ratio
};
