#include "platform/Autostart.h"

#include "platform/AppInfo.h"
#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// The program to start: its bare name when that is what the search path finds (an
// installed package), so an upgrade that moves the binary still starts it.
QString program()
{
    const QString self = QCoreApplication::applicationFilePath();
    const QString name = QFileInfo(self).fileName();
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty() &&
        QFileInfo(found).canonicalFilePath() == QFileInfo(self).canonicalFilePath())
        return name;
    return self;
}

QByteArray entry()
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Shiguren\n"
                                        "Name[ja]=しぐれん\n"
                                        "Exec=%1\n"
                                        "Icon=%2\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(Autostart::execValue(program()), AppInfo::applicationId());
    return text.toUtf8();
}

} // namespace

namespace Autostart {

QString entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + AppInfo::applicationId() + QStringLiteral(".desktop");
}

bool isEnabled()
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    static const QRegularExpression switchedOff(
        QStringLiteral("^\\s*(Hidden\\s*=\\s*true|X-GNOME-Autostart-enabled\\s*=\\s*false)\\s*$"),
        QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
    return !switchedOff.match(QString::fromUtf8(file.readAll())).hasMatch();
}

bool setEnabled(bool enabled)
{
    const QString path = entryPath();
    if (!enabled) {
        if (!QFile::exists(path) || QFile::remove(path))
            return true;
        qCWarning(lcApp) << "cannot remove the autostart entry" << path;
        return false;
    }
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly) ||
        file.write(entry()) < 0 || !file.commit()) {
        qCWarning(lcApp) << "cannot write the autostart entry" << path << file.errorString();
        return false;
    }
    return true;
}

QString execValue(const QString& program)
{
    // The desktop entry format's reserved characters; inside double quotes ", `, $ and \ take
    // a backslash, written twice because the value is itself unescaped once.
    static const QRegularExpression reserved(QStringLiteral("[\\s\"'\\\\><~|&;$*?#()`]"));
    if (!program.contains(reserved))
        return program;
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$')
            quoted += QStringLiteral("\\\\");
        else if (c == u'\\')
            quoted += QStringLiteral("\\\\\\");
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

} // namespace Autostart
