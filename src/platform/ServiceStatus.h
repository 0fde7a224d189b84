#pragma once

#include <QDateTime>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

// What every data service tells about its loads: whether one runs, why the last one failed
// (null when it did not) and when one last succeeded. Each signal fires only on a real
// change; a service forwards them as its own. Lives on the GUI thread.
class ServiceStatus : public QObject {
    Q_OBJECT

public:
    using Category = const QLoggingCategory& (*)();

    // `subject` names what the service loads inside the failure message ("台風情報");
    // failures are logged to `category`, after `logLabel`.
    ServiceStatus(Category category, QString logLabel, QString subject);

    bool isLoading() const { return m_isLoading; }
    QString errorMessage() const { return m_errorMessage; } // null when there is none
    QDateTime lastUpdated() const { return m_lastUpdated; } // invalid when never loaded
    // When the saved copy now shown was fetched; invalid while what is shown came from the
    // network in this run (or nothing is shown).
    QDateTime savedCopyTime() const { return m_savedCopyTime; }

    void setLoading(bool loading);
    // A load succeeded now (on the program clock): the error, if any, is gone.
    void markSucceeded();
    // A load failed for `description`, a Japanese reason from ErrorText or a decoder.
    void markFailed(const QString& description);
    void setErrorMessage(const QString& message);
    // What is shown now is a saved copy fetched at `fetchedAt`; the failure stays. The next
    // success ends it.
    void markShowingCopy(const QDateTime& fetchedAt);

    // Re-emits this status's signals as `owner`'s.
    template <typename Owner>
    void forwardTo(Owner* owner, void (Owner::*loading)(), void (Owner::*message)(),
                   void (Owner::*updated)() = nullptr, void (Owner::*copy)() = nullptr)
    {
        if (copy)
            connect(this, &ServiceStatus::savedCopyTimeChanged, owner, copy);
        connect(this, &ServiceStatus::isLoadingChanged, owner, loading);
        connect(this, &ServiceStatus::errorMessageChanged, owner, message);
        if (updated)
            connect(this, &ServiceStatus::lastUpdatedChanged, owner, updated);
    }

Q_SIGNALS:
    void isLoadingChanged();
    void errorMessageChanged();
    void lastUpdatedChanged();
    void savedCopyTimeChanged();

private:
    Category m_category;
    QString m_logLabel;
    QString m_subject;
    bool m_isLoading = false;
    QString m_errorMessage;
    QDateTime m_lastUpdated;
    QDateTime m_savedCopyTime;
};
