#pragma once

#include "lightning/LightningStrike.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapAnnotationView.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QSet>

#include <memory>
#include <optional>

class MapScene;

// One strike on the map, titled with its time in Japan ("落雷 14:03:27").
class LightningAnnotation : public MapAnnotation {
public:
    explicit LightningAnnotation(const LightningStrike& strike);

    // "落雷 HH:mm:ss" in Japan time, whatever the computer's time zone.
    static QString titleFor(const QDateTime& observedAt);
};

// A yellow bolt with a black outline; a click shows the strike time.
class LightningAnnotationView : public MapAnnotationView {
public:
    static const QString kReuseIdentifier; // "LightningMarker"
    static constexpr double kPointSize = 13;
    static constexpr double kStrokeWidth = 2;

    LightningAnnotationView();

protected:
    void paint(QPainter& painter) const override;

private:
    void setUp();
};

// The "bolt.fill" symbol `pointSize` points large in `fillColor`, outlined in black by
// drawing a black copy eight times around it, `strokeWidth` points away (0°, 45°, … 315°).
// The picture is 2 × 2 × strokeWidth points larger than the symbol each way. Nothing when
// the symbol is missing.
std::optional<QImage> strokedBoltImage(double pointSize, const QColor& fillColor,
                                       double strokeWidth, qreal devicePixelRatio = 1.0);

// The bolts of the current strikes. The coordinator rebuilds them only when the set of
// strike ids changes.
class LightningLayer {
public:
    void apply(MapScene& map, const LightningStrikes& strikes);

    static QSet<QString> signature(const LightningStrikes& strikes);

    const QList<std::shared_ptr<LightningAnnotation>>& annotations() const { return m_annotations; }
    const QSet<QString>& appliedSignature() const { return m_appliedSignature; }

private:
    QList<std::shared_ptr<LightningAnnotation>> m_annotations;
    QSet<QString> m_appliedSignature;
};
