#pragma once

#include "mapwidget/MapAnnotationView.h"

// A view that shows a picture, centred on the annotation's point (plus the centre offset).
// The picture's device-pixel ratio gives its size in points.
class ImageAnnotationView : public MapAnnotationView {
public:
    explicit ImageAnnotationView(QString reuseIdentifier);

    QImage picture() const { return m_picture; }
    void setImage(const QImage& image);

protected:
    void paint(QPainter& painter) const override;

private:
    QImage m_picture;
};
