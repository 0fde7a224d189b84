#include "update/VersionText.h"

#include "platform/AppInfo.h"

namespace VersionText {

QString format(const QString& shortVersion, const QString& build)
{
    const QString unknown = QStringLiteral("不明");
    const QString shortText = shortVersion.trimmed();
    const QString buildText = build.trimmed();
    return (shortText.isEmpty() ? unknown : shortText) + QStringLiteral(" (") +
           (buildText.isEmpty() ? unknown : buildText) + u')';
}

QString current()
{
    return format(AppInfo::version(), AppInfo::buildNumber());
}

QString named()
{
    return AppInfo::displayName() + u' ' + current();
}

} // namespace VersionText
