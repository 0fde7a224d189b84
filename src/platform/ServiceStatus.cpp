#include "platform/ServiceStatus.h"

#include "platform/Clock.h"
#include "platform/PropertyHelpers.h"

ServiceStatus::ServiceStatus(Category category, QString logLabel, QString subject)
    : m_category(category)
    , m_logLabel(std::move(logLabel))
    , m_subject(std::move(subject))
{}

void ServiceStatus::setLoading(bool loading)
{
    if (assignIfChanged(m_isLoading, loading))
        Q_EMIT isLoadingChanged();
}

void ServiceStatus::markSucceeded()
{
    if (assignIfChanged(m_lastUpdated, Clock::current().now()))
        Q_EMIT lastUpdatedChanged();
    markShowingCopy({});
    setErrorMessage(QString());
}

void ServiceStatus::markShowingCopy(const QDateTime& fetchedAt)
{
    if (assignIfChanged(m_savedCopyTime, fetchedAt))
        Q_EMIT savedCopyTimeChanged();
}

void ServiceStatus::markFailed(const QString& description)
{
    qCWarning(m_category, "%s: %s", qUtf8Printable(m_logLabel), qUtf8Printable(description));
    setErrorMessage(QStringLiteral("%1を取得できませんでした（%2）").arg(m_subject, description));
}

void ServiceStatus::setErrorMessage(const QString& message)
{
    // Null and empty differ: null means "no error".
    if (m_errorMessage.isNull() == message.isNull() && m_errorMessage == message)
        return;
    m_errorMessage = message;
    Q_EMIT errorMessageChanged();
}
