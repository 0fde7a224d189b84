#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

// The colour scale of the precipitation radar: a title over eight swatches that form one
// continuous bar, each labelled with its intensity in mm/h; under it, the scales of the
// nowcast layers that are on (thunder activity 1–4, tornado likelihood 1–2). Drawn on a
// transparent background, for a popover or material panel to carry.
class RadarLegendView : public QWidget {
    Q_OBJECT

public:
    struct Step {
        QColor color; // opaque sRGB
        QString label;
        friend bool operator==(const Step&, const Step&) = default;
    };

    static constexpr int kPadding = 8;
    static constexpr int kRowSpacing = 4;
    static constexpr QSize kSwatch{26, 9};
    static constexpr int kLabelSpacing = 2;
    static constexpr int kScaleSpacing = 8;

    struct Scale {
        QString title;
        QList<Step> steps;
        friend bool operator==(const Scale&, const Scale&) = default;
    };

    static const QList<Step>& steps();
    static QString title();
    // The scales of the thunder and tornado layers, their colours as the tiles' palettes
    // have them (lowest level first), labelled by level. A layer without colours (off, or
    // none of its tiles seen yet) has no scale.
    static QList<Scale> hazardScales(const QList<QColor>& thunder, const QList<QColor>& tornado);

    explicit RadarLegendView(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // Width of each entry of the rain's scale: the swatch, or its label when that is wider.
    QList<int> entryWidths() const;

    // Scales drawn under the rain's.
    void setExtraScales(const QList<Scale>& scales);
    const QList<Scale>& extraScales() const { return m_extraScales; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QList<Scale> scales() const;

    QList<Scale> m_extraScales;
};
