#include "mapwidget/MapCreditLayer.h"

#include "mapwidget/BaseMapLayer.h"
#include "mapwidget/MapViewport.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

MapCreditLayer::MapCreditLayer(const BaseMapLayer& baseMap)
    : m_baseMap(baseMap)
{}

QString MapCreditLayer::text()
{
    return QStringLiteral("地理院タイル");
}

void MapCreditLayer::setView(const MapViewport& viewport, bool dark)
{
    if (dark == m_dark && viewport.devicePixelRatio() == m_devicePixelRatio)
        return;
    m_dark = dark;
    m_devicePixelRatio = viewport.devicePixelRatio();
    m_image = QImage();
}

void MapCreditLayer::paint(QPainter& painter, const MapViewport& viewport, bool)
{
    if (!m_baseMap.isEnabled() || m_baseMap.isHidden())
        return;
    const qreal dpr = viewport.devicePixelRatio();
    if (m_image.isNull()) {
        QFont font;
        font.setPixelSize(10);
        const QFontMetricsF metrics(font);
        const QSizeF size(std::ceil(metrics.horizontalAdvance(text())) + 8,
                          std::ceil(metrics.height()) + 2);
        m_image =
            QImage(QSize(int(std::ceil(size.width() * dpr)), int(std::ceil(size.height() * dpr))),
                   QImage::Format_ARGB32_Premultiplied);
        m_image.setDevicePixelRatio(dpr);
        m_image.fill(m_dark ? QColor(0, 0, 0, 140) : QColor(255, 255, 255, 170));
        QPainter credit(&m_image);
        credit.setFont(font);
        credit.setPen(m_dark ? QColor(220, 220, 220) : QColor(40, 40, 40));
        credit.drawText(QRectF(QPointF(0, 0), size), Qt::AlignCenter, text());
    }
    const int margin = int(std::lround(2 * dpr));
    const QPoint position(margin, viewport.deviceSize().height() - m_image.height() - margin);
    painter.drawImage(QRect(position, m_image.size()), m_image, m_image.rect());
}
