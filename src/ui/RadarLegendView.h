#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

// The colour scale of the precipitation radar: a title over eight swatches that form one
// continuous bar, each labelled with its intensity in mm/h. Drawn on a transparent
// background, for a popover or material panel to carry.
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

    static const QList<Step>& steps();
    static QString title();

    explicit RadarLegendView(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // Width of each entry: the swatch, or its label when that is wider.
    QList<int> entryWidths() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
};
