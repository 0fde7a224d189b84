#include "map/LightningLayer.h"

#include "map/MapColors.h"
#include "mapwidget/MapScene.h"
#include "platform/Icons.h"
#include "platform/JapanTime.h"

#include <QHash>
#include <QPainter>

#include <cmath>

LightningAnnotation::LightningAnnotation(const LightningStrike& strike)
    : MapAnnotation(strike.coordinate, titleFor(strike.observedAt))
{}

QString LightningAnnotation::titleFor(const QDateTime& observedAt)
{
    return QStringLiteral("落雷 ") + JapanTime::of(observedAt).toString(QStringLiteral("HH:mm:ss"));
}

std::optional<QImage> strokedBoltImage(double pointSize, const QColor& fillColor,
                                       double strokeWidth, qreal devicePixelRatio)
{
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSizeF symbolSize(pointSize, pointSize);
    const QImage outline = Icons::image(QStringLiteral("bolt.fill"), symbolSize, ratio, Qt::black);
    const QImage fill = Icons::image(QStringLiteral("bolt.fill"), symbolSize, ratio, fillColor);
    if (outline.isNull() || fill.isNull())
        return std::nullopt;

    const double pad = 2 * strokeWidth;
    const QSizeF size = symbolSize + QSizeF(2 * pad, 2 * pad);
    QImage image(QSize(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (int step = 0; step < 8; ++step) {
        const double angle = step * M_PI / 4;
        painter.drawImage(QRectF(QPointF(pad + strokeWidth * std::cos(angle),
                                         pad + strokeWidth * std::sin(angle)),
                                 symbolSize),
                          outline);
    }
    painter.drawImage(QRectF(QPointF(pad, pad), symbolSize), fill);
    painter.end();
    return image;
}

const QString LightningAnnotationView::kReuseIdentifier = QStringLiteral("LightningMarker");

LightningAnnotationView::LightningAnnotationView()
    : MapAnnotationView(kReuseIdentifier)
{
    setUp();
}

void LightningAnnotationView::setUp()
{
    setCanShowCallout(true);
    setDisplayPriority(kPriorityDefaultLow);
    if (const auto image = strokedBoltImage(kPointSize, MapColors::systemYellow(), kStrokeWidth))
        setSize(image->deviceIndependentSize());
}

void LightningAnnotationView::paint(QPainter& painter) const
{
    // Every bolt looks the same: make the picture once per pixel ratio.
    static QHash<qreal, QImage> pictures;
    const qreal ratio = painter.device()->devicePixelRatio();
    auto picture = pictures.find(ratio);
    if (picture == pictures.end()) {
        const auto image =
            strokedBoltImage(kPointSize, MapColors::systemYellow(), kStrokeWidth, ratio);
        picture = pictures.insert(ratio, image.value_or(QImage()));
    }
    if (!picture->isNull())
        painter.drawImage(QRectF(QPointF(0, 0), size()), *picture);
}

QSet<QString> LightningLayer::signature(const LightningStrikes& strikes)
{
    QSet<QString> ids;
    for (const LightningStrike& strike : strikes)
        ids.insert(strike.id);
    return ids;
}

void LightningLayer::apply(MapScene& map, const LightningStrikes& strikes)
{
    if (!m_annotations.isEmpty())
        map.removeAnnotations({m_annotations.cbegin(), m_annotations.cend()});
    m_annotations.clear();
    QList<std::shared_ptr<MapAnnotation>> added;
    added.reserve(strikes.size());
    for (const LightningStrike& strike : strikes) {
        auto annotation = std::make_shared<LightningAnnotation>(strike);
        m_annotations.append(annotation);
        added.append(annotation);
    }
    map.addAnnotations(added);
    m_appliedSignature = signature(strikes);
}
