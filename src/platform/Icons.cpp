#include "platform/Icons.h"

#include "resources/Resources.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <cmath>

namespace Icons {

QString path(const QString& name)
{
    Resources::ensureRegistered();
    const QString candidate = QStringLiteral(":/icons/%1.svg").arg(name);
    return QFile::exists(candidate) ? candidate : QString();
}

bool exists(const QString& name)
{
    return !path(name).isEmpty();
}

namespace {

QRectF fitted(QSizeF natural, QRectF box)
{
    if (natural.isEmpty())
        return box;
    const QSizeF scaled = natural.scaled(box.size(), Qt::KeepAspectRatio);
    return QRectF(box.center().x() - scaled.width() / 2, box.center().y() - scaled.height() / 2,
                  scaled.width(), scaled.height());
}

} // namespace

QImage image(const QString& name, QSizeF size, qreal devicePixelRatio, std::optional<QColor> tint)
{
    const QString file = path(name);
    if (file.isEmpty() || size.isEmpty())
        return {};
    QSvgRenderer renderer(file);
    if (!renderer.isValid())
        return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize pixels(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio)));
    QImage result(pixels, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter,
                        fitted(renderer.viewBoxF().size(), QRectF(QPointF(0, 0), QSizeF(pixels))));
        if (tint) {
            // Keep the symbol's coverage, replace its colour.
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(result.rect(), *tint);
        }
    }
    result.setDevicePixelRatio(ratio);
    return result;
}

namespace {

class SymbolEngine final : public QIconEngine {
public:
    SymbolEngine(QString name, std::optional<QColor> tint)
        : m_name(std::move(name))
        , m_tint(tint)
    {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QImage symbol = image(m_name, rect.size(), ratio, tintFor(mode));
        if (!symbol.isNull())
            painter->drawImage(QRectF(rect), symbol);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        return QPixmap::fromImage(image(m_name, size, 1.0, tintFor(mode)));
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        const qreal ratio = scale > 0 ? scale : 1.0;
        return QPixmap::fromImage(image(m_name, QSizeF(size) / ratio, ratio, tintFor(mode)));
    }

    QIconEngine* clone() const override { return new SymbolEngine(m_name, m_tint); }
    QString key() const override { return QStringLiteral("ShigurenSymbol"); }

private:
    std::optional<QColor> tintFor(QIcon::Mode mode) const
    {
        if (!m_tint || mode != QIcon::Disabled)
            return m_tint;
        QColor faded = *m_tint;
        faded.setAlphaF(faded.alphaF() * 0.35f);
        return faded;
    }

    QString m_name;
    std::optional<QColor> m_tint;
};

} // namespace

QIcon icon(const QString& name, std::optional<QColor> tint)
{
    if (!exists(name))
        return {};
    return QIcon(new SymbolEngine(name, tint));
}

} // namespace Icons
