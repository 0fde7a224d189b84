#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <optional>

// The application's symbol images, named after the symbols they stand for ("bolt.fill",
// "hurricane", "cloud.rain.fill"). Single-colour symbols are drawn in a tint of the caller's
// choosing (usually the palette's text colour); weather symbols keep their own colours.
namespace Icons {

// ":/icons/<name>.svg"; empty when there is no such symbol.
QString path(const QString& name);
bool exists(const QString& name);

// The symbol fitted into `size` (device-independent pixels, aspect ratio kept, centred) at
// `devicePixelRatio`, tinted with `tint` when given. A null image for an unknown name.
QImage image(const QString& name, QSizeF size, qreal devicePixelRatio,
             std::optional<QColor> tint = std::nullopt);

// An icon that renders the symbol crisply at any size and ratio, tinted when asked.
QIcon icon(const QString& name, std::optional<QColor> tint = std::nullopt);

} // namespace Icons
