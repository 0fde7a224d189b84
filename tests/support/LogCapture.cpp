#include "LogCapture.h"

#include <QMutexLocker>

namespace {

LogCapture* g_active = nullptr;

} // namespace

LogCapture::LogCapture(QString category)
    : m_category(std::move(category))
{
    g_active = this;
    m_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    g_active = nullptr;
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    LogCapture* self = g_active;
    if (!self)
        return;
    if (self->m_category.isEmpty() || self->m_category == QLatin1String(context.category)) {
        QMutexLocker locker(&self->m_lock);
        self->m_lines.append(message);
    }
    if (self->m_previous)
        self->m_previous(type, context, message);
}

QStringList LogCapture::lines() const
{
    QMutexLocker locker(&m_lock);
    return m_lines;
}

QStringList LogCapture::matching(const QString& fragment) const
{
    return lines().filter(fragment);
}

void LogCapture::clear()
{
    QMutexLocker locker(&m_lock);
    m_lines.clear();
}
