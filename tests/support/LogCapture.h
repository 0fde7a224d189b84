#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>

// Records every log line of one category while it exists (and still prints them; captures
// may nest), so a test can check what the program told the log.
class LogCapture {
public:
    // `category` e.g. "jp.shiguren.Shiguren.app"; empty records every category.
    explicit LogCapture(QString category = {});
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const;
    // Lines that contain `fragment`.
    QStringList matching(const QString& fragment) const;
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message);

    QString m_category;
    mutable QMutex m_lock;
    QStringList m_lines;
    LogCapture* m_outer; // a capture that was active before this one, which still records
    QtMessageHandler m_previous = nullptr;
};
