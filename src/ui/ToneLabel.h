#pragma once

#include <QFont>
#include <QLabel>

// A label whose colour is one of the pane views' tones, derived from the palette it inherits,
// so it follows a switch between the light and dark themes.
class ToneLabel : public QLabel {
    Q_OBJECT

public:
    enum class Tone { Primary, Secondary, Orange };

    ToneLabel(const QString& text, int pixelSize, QFont::Weight weight, Tone tone,
              QWidget* parent = nullptr);

    Tone tone() const { return m_tone; }
    void setTone(Tone tone);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTone();

    Tone m_tone;
    bool m_applying = false;
};
