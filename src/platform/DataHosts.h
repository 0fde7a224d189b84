#pragma once

#include <QString>
#include <QUrl>

// Where each data service lives. Every service builds its addresses from here and nowhere
// else, so tests point them all at a local fake server with one call.
struct DataHosts {
    QUrl agency;          // radar lists and tiles, lightning, typhoon
    QUrl forecast;        // point forecast
    QUrl baseMap;         // base map tiles
    QUrl addressSearch;   // GSI address search (place search)
    QUrl reverseGeocoder; // GSI reverse geocoder (coordinate → municipality and town)
    QUrl photon;          // Photon place search, for what the address search does not know
    // The program's own release feed, its whole address; empty when the build names none
    // (SHIGUREN_UPDATE_FEED_URL), and then the system's packages bring updates.
    QUrl updates;

    // Where the feed sits on a server that stands in for every service (pointAllAt).
    static constexpr char kStandInFeedPath[] = "/shiguren/appcast.xml";

    static DataHosts production();
    static const DataHosts& current();
    static void setCurrent(const DataHosts& hosts);
    // Every service at one base address, e.g. "http://127.0.0.1:8123".
    static void pointAllAt(const QUrl& base);
    // SHIGUREN_SERVICES_URL (e.g. "http://127.0.0.1:8123") points every service at one
    // stand-in server, so the installed program can be run against a fake world. Returns the
    // refusal, in Japanese, for a value that is not an http(s) address; changes nothing then.
    static QString applyEnvironment();

    // `base` with `path` (which starts with "/") as its path.
    static QUrl join(const QUrl& base, const QString& path);
};
