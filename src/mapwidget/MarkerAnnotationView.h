#pragma once

#include "mapwidget/MapAnnotationView.h"

#include <QColor>
#include <QImage>

// A balloon marker: a round head in the tint colour with a glyph inside and a point whose
// tip sits on the annotation's coordinate. It grows a little while selected; the map then
// shows the annotation's title and subtitle in a callout above it.
class MarkerAnnotationView : public MapAnnotationView {
public:
    explicit MarkerAnnotationView(QString reuseIdentifier);

    QColor markerTintColor() const { return m_tint; }
    void setMarkerTintColor(const QColor& color);
    // Any picture; only its shape (alpha) is used, filled with white.
    void setGlyphImage(const QImage& glyph);

protected:
    void paint(QPainter& painter) const override;
    void selectionChanged() override;

private:
    void updateGeometry();
    double headDiameter() const;

    QColor m_tint = QColor(255, 59, 48);
    QImage m_glyph;
};
