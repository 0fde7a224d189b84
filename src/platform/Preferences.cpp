#include "platform/Preferences.h"

#include "platform/JsonSettingsFormat.h"
#include "platform/Logging.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Preferences {

namespace {

void warnUnsaved(const QString& path)
{
    qCWarning(lcApp, "設定を保存できません。変更は終了まで有効です path=%s", qUtf8Printable(path));
}

} // namespace

Store::Store(const QString& path, QObject* parent)
    : QSettings(path, jsonFormat(), parent)
{}

Store::~Store()
{
    // The last changes are saved here; a failure nobody saw yet still goes to the log.
    sync();
    if (!m_savingFailed && status() == QSettings::AccessError)
        warnUnsaved(fileName());
}

bool Store::event(QEvent* event)
{
    // QSettings saves pending changes when this event arrives.
    const bool isSave = event->type() == QEvent::UpdateRequest;
    const bool handled = QSettings::event(event);
    if (isSave)
        checkSaved();
    return handled;
}

void Store::checkSaved()
{
    if (m_savingFailed || status() != QSettings::AccessError)
        return;
    m_savingFailed = true;
    warnUnsaved(fileName());
    Q_EMIT savingFailedChanged();
}

QSettings::Format jsonFormat()
{
    // Each registerFormat call adds a new format; a function-local static registers
    // exactly once, also when the first callers race on different threads.
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("json"), &JsonSettingsFormat::read, &JsonSettingsFormat::write);
    return format;
}

std::unique_ptr<Store> openStandard()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (!QDir().mkpath(folder))
        qCInfo(lcApp, "設定フォルダーを作成できません path=%s", qUtf8Printable(folder));
    return openFile(QDir(folder).filePath(QStringLiteral("settings.json")));
}

namespace {

// A program killed between creating the settings' lock file and writing its owner into it
// leaves the lock empty, and Qt honours a lock it cannot read for 30 s: every save of the
// next run would block that long. A live owner holds an advisory lock on the file from the
// moment it creates it, so an empty lock that can be locked is nobody's.
void removeOrphanedLock(const QString& path)
{
    const QString lockPath = path + QStringLiteral(".lock");
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info {};
    const bool orphaned =
        ::fstat(fd, &info) == 0 && info.st_size == 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (orphaned && QFile::remove(lockPath))
        qCInfo(lcApp, "持ち主のいない設定のロックを削除 path=%s", qUtf8Printable(lockPath));
    ::close(fd);
}

} // namespace

std::unique_ptr<Store> openFile(const QString& path)
{
    removeOrphanedLock(path);
    return std::make_unique<Store>(path);
}

} // namespace Preferences
