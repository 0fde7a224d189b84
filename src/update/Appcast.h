#pragma once

#include "platform/Expected.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// One release announced by the update feed, an RSS 2.0 document with Sparkle's appcast
// elements:
//     <item>
//       <title>Shiguren 1.3.0</title>
//       <sparkle:shortVersionString>1.3.0</sparkle:shortVersionString>
//       <sparkle:version>52</sparkle:version>
//       <link>https://…/download</link>
//       <enclosure url="https://…/Shiguren-1.3.0.tar.gz" sparkle:version="52" …/>
//     </item>
// The version elements may also stand as attributes of the enclosure.
struct AppcastItem {
    QString title;
    QString shortVersion; // the version people read, "1.3.0"; may be empty
    QString version;      // the build, "52"; may be empty
    // Where the release is offered: the item's link, else its enclosure's address. Only http
    // and https addresses are kept, since this is what a browser is asked to open.
    QUrl downloadPage;
    QDateTime published;

    friend bool operator==(const AppcastItem&, const AppcastItem&) = default;
};

namespace Appcast {

// The items in document order. A document that is not well-formed XML, is not RSS, or
// announces an item with neither version, fails as a whole; one over
// DocumentLimit::kMaxBytes is not read.
Expected<QList<AppcastItem>> parse(const QByteArray& bytes);

// Whether `item` is a later release than the running one: the short versions decide, and
// when they are equal (or the item has none) the builds do.
bool isNewer(const AppcastItem& item, const QString& currentShortVersion,
             const QString& currentVersion);

// The latest release among `items` that is newer than the running one and can be opened.
std::optional<AppcastItem> newestUpdate(const QList<AppcastItem>& items,
                                        const QString& currentShortVersion,
                                        const QString& currentVersion);

} // namespace Appcast
