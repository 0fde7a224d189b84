#include "FakeTileOverlay.h"

#include <QBuffer>

QByteArray FakeTileOverlay::solidPng(const QColor& color)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    solid(color).save(&buffer, "PNG");
    return bytes;
}
