#pragma once

#include "update/UpdateUserDriver.h"
#include "update/UrlOpener.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

// Shows the outcome of a check in a window of its own and, for a new release, offers to open
// its download page in the browser. One window at a time: a later outcome replaces the
// earlier one. Windows never block the event loop.
class UpdateAlert : public QObject, public UpdateUserDriver {
    Q_OBJECT

public:
    explicit UpdateAlert(UrlOpener opener, QObject* parent = nullptr);
    ~UpdateAlert() override;

    void showUpdateFound(const AppcastItem& item, bool userInitiated) override;
    void showUpToDate() override;
    void showUpdateError(const QString& message) override;

    // The window on screen, if any.
    QMessageBox* window() const { return m_box; }

    static QString versionText(const AppcastItem& item);

private:
    QMessageBox* present(const QString& title, const QString& text, const QString& detail);

    UrlOpener m_opener;
    QPointer<QMessageBox> m_box;
};
