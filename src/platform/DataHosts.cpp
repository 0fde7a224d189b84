#include "platform/DataHosts.h"

namespace {

DataHosts& storage()
{
    static DataHosts hosts = DataHosts::production();
    return hosts;
}

} // namespace

DataHosts DataHosts::production()
{
    return DataHosts{QUrl(QStringLiteral("https://www.jma.go.jp")),
                     QUrl(QStringLiteral("https://api.open-meteo.com")),
                     QUrl(QStringLiteral("https://cyberjapandata.gsi.go.jp")),
                     QUrl(QStringLiteral("https://msearch.gsi.go.jp")),
                     QUrl(QStringLiteral("https://mreversegeocoder.gsi.go.jp")),
                     QUrl(QStringLiteral("https://photon.komoot.io")),
                     QUrl(QStringLiteral(SHIGUREN_UPDATE_FEED_URL))};
}

const DataHosts& DataHosts::current()
{
    return storage();
}

void DataHosts::setCurrent(const DataHosts& hosts)
{
    storage() = hosts;
}

void DataHosts::pointAllAt(const QUrl& base)
{
    storage() =
        DataHosts{base, base, base, base, base, base, join(base, QLatin1String(kStandInFeedPath))};
}

QString DataHosts::applyEnvironment()
{
    const QString value = qEnvironmentVariable("SHIGUREN_SERVICES_URL");
    if (value.isEmpty())
        return {};
    const QUrl base(value, QUrl::StrictMode);
    const QString scheme = base.scheme();
    if (!base.isValid() || base.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QStringLiteral("SHIGUREN_SERVICES_URL が http(s) のアドレスではありません: %1")
            .arg(value);
    pointAllAt(base);
    return {};
}

QUrl DataHosts::join(const QUrl& base, const QString& path)
{
    QUrl url = base;
    QString basePath = url.path();
    if (basePath.endsWith(QLatin1Char('/')))
        basePath.chop(1);
    url.setPath(basePath + path);
    return url;
}
