#pragma once

#include "update/UpdateUserDriver.h"
#include "update/UrlOpener.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

// Shows the outcome of a check in a window of its own and, for a new release, offers to open
// its download page in the browser. One window at a time: a later outcome replaces the
// earlier one. Windows never block the event loop. They are dialogs of the parent window when
// one is set, so the main window's keys leave them alone.
class UpdateAlert : public QObject, public UpdateUserDriver {
    Q_OBJECT

public:
    explicit UpdateAlert(UrlOpener opener, QObject* parent = nullptr);
    ~UpdateAlert() override;

    // The window later outcomes are shown over (not owned; may go away first).
    void setParentWindow(QWidget* window) { m_parentWindow = window; }

    void showUpdateFound(const AppcastItem& item, bool userInitiated) override;
    void showUpToDate() override;
    void showUpdateError(const QString& message) override;
    void showUpdatesFromSystem() override;

    // The window on screen, if any.
    QMessageBox* window() const { return m_box; }

    static QString versionText(const AppcastItem& item);

private:
    QMessageBox* present(const QString& title, const QString& text, const QString& detail);

    UrlOpener m_opener;
    QPointer<QWidget> m_parentWindow;
    QPointer<QMessageBox> m_box;
};
