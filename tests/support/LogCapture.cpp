#include "LogCapture.h"

#include <QMutexLocker>

namespace {

LogCapture* g_active = nullptr;

} // namespace

LogCapture::LogCapture(QString category)
    : m_category(std::move(category))
    , m_outer(g_active)
{
    g_active = this;
    m_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    g_active = m_outer;
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    LogCapture* outermost = g_active;
    if (!outermost)
        return;
    for (LogCapture* self = g_active; self; self = self->m_outer) {
        if (self->m_category.isEmpty() || self->m_category == QLatin1String(context.category)) {
            QMutexLocker locker(&self->m_lock);
            self->m_lines.append(message);
        }
        outermost = self;
    }
    if (outermost->m_previous)
        outermost->m_previous(type, context, message);
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
