#include "update/Appcast.h"

#include "platform/DocumentLimit.h"
#include "platform/ErrorText.h"
#include "update/VersionComparison.h"

#include <QXmlStreamReader>

namespace {

const QString kSparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isWebAddress(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == u"https" || url.scheme() == u"http");
}

QString elementText(QXmlStreamReader& xml)
{
    return xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
}

AppcastItem readItem(QXmlStreamReader& xml)
{
    AppcastItem item;
    QString enclosureVersion;
    QString enclosureShortVersion;
    QUrl link;
    QUrl enclosure;
    while (xml.readNextStartElement()) {
        const bool sparkle = xml.namespaceUri() == kSparkleNamespace;
        const bool plain = xml.namespaceUri().isEmpty();
        const auto name = xml.name();
        if (plain && name == u"title") {
            item.title = elementText(xml);
        } else if (plain && name == u"link") {
            link = QUrl(elementText(xml), QUrl::StrictMode);
        } else if (plain && name == u"pubDate") {
            item.published = QDateTime::fromString(elementText(xml), Qt::RFC2822Date);
        } else if (sparkle && name == u"version") {
            item.version = elementText(xml);
        } else if (sparkle && name == u"shortVersionString") {
            item.shortVersion = elementText(xml);
        } else if (plain && name == u"enclosure") {
            const QXmlStreamAttributes attributes = xml.attributes();
            enclosure =
                QUrl(attributes.value(QLatin1String("url")).toString().trimmed(), QUrl::StrictMode);
            enclosureVersion =
                attributes.value(kSparkleNamespace, QLatin1String("version")).toString();
            enclosureShortVersion =
                attributes.value(kSparkleNamespace, QLatin1String("shortVersionString")).toString();
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    if (item.version.isEmpty())
        item.version = enclosureVersion.trimmed();
    if (item.shortVersion.isEmpty())
        item.shortVersion = enclosureShortVersion.trimmed();
    if (isWebAddress(link))
        item.downloadPage = link;
    else if (isWebAddress(enclosure))
        item.downloadPage = enclosure;
    return item;
}

// Short versions first, builds when those are equal; an absent part counts as lowest.
int compareReleases(const AppcastItem& a, const AppcastItem& b)
{
    if (const int order = compareVersions(a.shortVersion, b.shortVersion))
        return order;
    return compareVersions(a.version, b.version);
}

} // namespace

namespace Appcast {

Expected<QList<AppcastItem>> parse(const QByteArray& bytes)
{
    if (DocumentLimit::exceeds(bytes))
        return Failure{ErrorText::documentTooLarge()};
    const Failure malformed{ErrorText::dataFormat()};
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement() || xml.name() != u"rss")
        return malformed;
    QList<AppcastItem> items;
    bool sawChannel = false;
    while (xml.readNextStartElement()) {
        if (xml.name() != u"channel" || !xml.namespaceUri().isEmpty()) {
            xml.skipCurrentElement();
            continue;
        }
        sawChannel = true;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"item" && xml.namespaceUri().isEmpty())
                items.append(readItem(xml));
            else
                xml.skipCurrentElement();
        }
    }
    // Reading on to the end catches anything malformed after the document element.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError() || !sawChannel)
        return malformed;
    for (const AppcastItem& item : std::as_const(items)) {
        if (item.version.isEmpty() && item.shortVersion.isEmpty())
            return malformed;
    }
    return items;
}

bool isNewer(const AppcastItem& item, const QString& currentShortVersion,
             const QString& currentVersion)
{
    if (!item.shortVersion.isEmpty() && !currentShortVersion.isEmpty()) {
        if (const int order = compareVersions(item.shortVersion, currentShortVersion))
            return order > 0;
    }
    if (!item.version.isEmpty() && !currentVersion.isEmpty())
        return compareVersions(item.version, currentVersion) > 0;
    return false;
}

std::optional<AppcastItem> newestUpdate(const QList<AppcastItem>& items,
                                        const QString& currentShortVersion,
                                        const QString& currentVersion)
{
    std::optional<AppcastItem> newest;
    for (const AppcastItem& item : items) {
        if (item.downloadPage.isEmpty() || !isNewer(item, currentShortVersion, currentVersion))
            continue;
        if (!newest || compareReleases(item, *newest) > 0)
            newest = item;
    }
    return newest;
}

} // namespace Appcast
