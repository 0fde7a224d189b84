#include "mapwidget/MapAnnotation.h"

MapAnnotation::MapAnnotation(const GeoCoordinate& coordinate, QString title, QString subtitle)
    : m_coordinate(coordinate)
    , m_title(std::move(title))
    , m_subtitle(std::move(subtitle))
{}

MapAnnotation::~MapAnnotation() = default;
