#pragma once

#include "mapwidget/MapAnnotationView.h"

#include <QColor>
#include <QFont>

// A text label centred on the annotation's point, with an optional soft halo around the
// letters so it reads on any background.
class TextAnnotationView : public MapAnnotationView {
public:
    explicit TextAnnotationView(QString reuseIdentifier);

    QString text() const { return m_text; }
    // Sizes the view to the text; the same text again changes nothing.
    void setText(const QString& text);
    QFont font() const { return m_font; }
    void setFont(const QFont& font);
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor& color);
    QColor haloColor() const { return m_haloColor; }
    // Radius in points; 0 for none.
    double haloRadius() const { return m_haloRadius; }
    void setHalo(const QColor& color, double radius);

protected:
    void paint(QPainter& painter) const override;

private:
    void updateSize();

    QString m_text;
    QFont m_font;
    QColor m_textColor = Qt::black;
    QColor m_haloColor = QColor(255, 255, 255, 217);
    double m_haloRadius = 0;
};
