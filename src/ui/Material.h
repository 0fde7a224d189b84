#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QWidget>

class QPainter;
class QPalette;

// The translucent panels the radar panes put over and under their maps. A widget cannot blur
// what lies beneath it, so a material is a tinted, mostly opaque fill that keeps text legible
// over bright rain colours and dark map tiles alike, with a hairline edge that separates it
// from a background of the same tone.
namespace Material {

enum class Kind {
    Bar,  // the bars under the maps: nearly opaque
    Thin, // small buttons and badges over the map: more of the map shows through
};

QColor fill(Kind kind, const QPalette& palette);
QColor edge(const QPalette& palette);

// Fills `shape` and strokes its edge with a one-pixel hairline just inside it.
void paint(QPainter& painter, const QPainterPath& shape, Kind kind, const QPalette& palette);
// A rounded rectangle; `radius` 0 gives square corners.
void paint(QPainter& painter, const QRectF& rect, qreal radius, Kind kind, const QPalette& palette);

} // namespace Material

// A container whose background is a material panel; lay children out in it as usual.
class MaterialPanel : public QWidget {
    Q_OBJECT

public:
    explicit MaterialPanel(Material::Kind kind, QWidget* parent = nullptr);

    Material::Kind kind() const { return m_kind; }
    void setCornerRadius(qreal radius);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Material::Kind m_kind;
    qreal m_cornerRadius = 5;
};
