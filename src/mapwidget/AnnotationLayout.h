#pragma once

#include <QList>
#include <QRectF>

// Which annotation views to show when their rectangles collide. Pure; any thread.
//
// Views are placed greedily, highest priority first and, among equals, in the order they
// were added; a view whose rectangle meets one already placed is hidden unless it is
// required (priority ≥ 1000) or forced (the selected one). Required and forced views are
// placed first, so they also hide lower ones. A uniform grid keeps the overlap checks
// local, so hundreds of views lay out in well under a millisecond.
namespace AnnotationLayout {

struct Item {
    QRectF frame;
    float priority = 1000;
    bool collides = true; // false: neither hides nor is hidden
    bool forced = false;
};

QList<bool> resolve(const QList<Item>& items);

} // namespace AnnotationLayout
