#pragma once

#include "geo/GeoTypes.h"

#include <QString>

// A point of interest on the map: a coordinate, a title and a subtitle (shown in the
// callout). Shared between its owner and the map (std::shared_ptr) and identified by
// address; subclasses add what their owners need to recognise them. Set the coordinate
// before adding the annotation to a map.
class MapAnnotation {
public:
    MapAnnotation() = default;
    explicit MapAnnotation(const GeoCoordinate& coordinate, QString title = {},
                           QString subtitle = {});
    MapAnnotation(const MapAnnotation&) = delete;
    MapAnnotation& operator=(const MapAnnotation&) = delete;
    virtual ~MapAnnotation();

    GeoCoordinate coordinate() const { return m_coordinate; }
    QString title() const { return m_title; }
    QString subtitle() const { return m_subtitle; }

private:
    GeoCoordinate m_coordinate;
    QString m_title;
    QString m_subtitle;
};
