#include "tiles/RadarTileLoader.h"

#include <QCoreApplication>

RadarTileLoader& RadarTileLoader::shared()
{
    // Parented to the application so it goes before the event loop's objects do.
    static RadarTileLoader* loader = new RadarTileLoader({}, QCoreApplication::instance());
    return *loader;
}

RadarTileLoader::RadarTileLoader(Options options, QObject* parent)
    : QObject(parent)
    , m_agency(options.cacheDirectory, options.diskCacheBytes, options.memoryCacheBytes)
    , m_pictures(m_agency, options.derivedCacheBytes)
{}

RadarTileLoader::~RadarTileLoader() = default;
