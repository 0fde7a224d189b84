#include "platform/AppInfo.h"

namespace AppInfo {

QString applicationId()
{
    return QStringLiteral(SHIGUREN_APP_ID);
}

QString applicationName()
{
    return QStringLiteral("Shiguren");
}

QString displayName()
{
    return QStringLiteral("Shiguren");
}

QString version()
{
    return QStringLiteral(SHIGUREN_VERSION);
}

QString buildNumber()
{
    return QStringLiteral(SHIGUREN_BUILD_NUMBER);
}

} // namespace AppInfo
