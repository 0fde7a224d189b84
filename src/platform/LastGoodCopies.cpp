#include "platform/LastGoodCopies.h"

#include "platform/Logging.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// "shiguren-copy 1 <fetched, ms since the epoch> <body size>\n", then the body as fetched.
// The size tells a truncated copy from a whole one.
const QByteArray kMagic = QByteArrayLiteral("shiguren-copy");
const QByteArray kVersion = QByteArrayLiteral("1");
constexpr qsizetype kMaxHeaderLength = 80;

QString safeKey(const QString& key)
{
    QString safe = key;
    for (QChar& c : safe) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'0' && c <= u'9') || c == u'.' || c == u'_' || c == u'-';
        if (!plain)
            c = u'_';
    }
    // "." and ".." alone would name directories.
    if (safe.isEmpty() || safe.startsWith(u'.'))
        safe.prepend(u'_');
    return safe;
}

} // namespace

QString LastGoodCopies::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/lastgood");
}

LastGoodCopies::LastGoodCopies(QString directory)
    : m_directory(std::move(directory))
{}

QString LastGoodCopies::filePath(const QString& key) const
{
    return m_directory + u'/' + safeKey(key);
}

void LastGoodCopies::save(const QString& key, const QByteArray& bytes,
                          const QDateTime& fetchedAt) const
{
    if (!isEnabled())
        return;
    if (!QDir().mkpath(m_directory)) {
        qCWarning(lcApp, "コピーの保存先を作れません: %s", qUtf8Printable(m_directory));
        return;
    }
    QSaveFile file(filePath(key));
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcApp, "コピーを保存できません %s: %s", qUtf8Printable(key),
                  qUtf8Printable(file.errorString()));
        return;
    }
    const QByteArray header = kMagic + ' ' + kVersion + ' ' +
                              QByteArray::number(fetchedAt.toMSecsSinceEpoch()) + ' ' +
                              QByteArray::number(bytes.size()) + '\n';
    file.write(header);
    file.write(bytes);
    if (!file.commit())
        qCWarning(lcApp, "コピーを保存できません %s: %s", qUtf8Printable(key),
                  qUtf8Printable(file.errorString()));
}

std::optional<LastGoodCopies::Copy> LastGoodCopies::load(const QString& key) const
{
    if (!isEnabled())
        return std::nullopt;
    QFile file(filePath(key));
    if (!file.exists())
        return std::nullopt;
    const auto refuse = [&key](const char* why) -> std::optional<Copy> {
        qCWarning(lcApp, "保存したコピーを使いません %s: %s", qUtf8Printable(key), why);
        return std::nullopt;
    };
    if (!file.open(QIODevice::ReadOnly))
        return refuse("開けません");
    const QByteArray header = file.readLine(kMaxHeaderLength);
    const QList<QByteArray> fields = header.trimmed().split(' ');
    if (!header.endsWith('\n') || fields.size() != 4 || fields[0] != kMagic ||
        fields[1] != kVersion)
        return refuse("形式が違います");
    bool timeOk = false;
    bool sizeOk = false;
    const qint64 msecs = fields[2].toLongLong(&timeOk);
    const qint64 size = fields[3].toLongLong(&sizeOk);
    if (!timeOk || !sizeOk || size < 0)
        return refuse("形式が違います");
    Copy copy{file.readAll(), QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc())};
    if (copy.bytes.size() != size)
        return refuse("途中で切れています");
    return copy;
}
