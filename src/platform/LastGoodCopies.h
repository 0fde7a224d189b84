#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The last document of each kind that the program fetched and could read, kept on disk so
// that a start without network (or an agency out of reach) still has something to show,
// marked as old. Each copy is one file under the directory, written through a temporary
// file renamed over the old one, so a killed writer leaves the previous or the new copy.
// A copy that does not read back whole (damaged, truncated, of another format) counts as
// absent and is logged. A store without a directory keeps nothing. A plain value; GUI thread.
class LastGoodCopies {
public:
    struct Copy {
        QByteArray bytes;
        QDateTime fetchedAt;
    };

    // The program's own place: <cache location>/lastgood.
    static QString defaultDirectory();

    LastGoodCopies() = default;
    explicit LastGoodCopies(QString directory);

    bool isEnabled() const { return !m_directory.isEmpty(); }
    QString directory() const { return m_directory; }

    // `key` names the document; characters outside [A-Za-z0-9._-] are replaced, so a key
    // made of the agency's identifiers cannot leave the directory. Failures are logged.
    void save(const QString& key, const QByteArray& bytes, const QDateTime& fetchedAt) const;
    std::optional<Copy> load(const QString& key) const;
    // Where the copy of `key` lives (for tests that damage it).
    QString filePath(const QString& key) const;

private:
    QString m_directory;
};
