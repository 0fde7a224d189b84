#include "ui/SettingsWindow.h"

#include "platform/Icons.h"
#include "ui/NotificationSettingsView.h"
#include "ui/PaneStyle.h"
#include "ui/SettingsView.h"
#include "update/SoftwareUpdateSettingsView.h"

#include <QEvent>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QVBoxLayout>

SettingsWindow::SettingsWindow(AppState* state, SoftwareUpdaterModel* updater, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("SettingsWindow"));
    setWindowTitle(QStringLiteral("設定"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(new SettingsView(state), QStringLiteral("一般"));
    m_tabs->addTab(
        new NotificationSettingsView(state->settings(), QSystemTrayIcon::isSystemTrayAvailable()),
        QStringLiteral("通知"));
    m_tabs->addTab(new SoftwareUpdateSettingsView(updater), QStringLiteral("更新"));
    tintTabIcons();
    layout->addWidget(m_tabs);
}

void SettingsWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_tabs)
        tintTabIcons();
}

void SettingsWindow::tintTabIcons()
{
    static const QString symbols[] = {QStringLiteral("gearshape"),
                                      QStringLiteral("cloud.rain.fill"),
                                      QStringLiteral("arrow.triangle.2.circlepath")};
    const QColor ink = PaneStyle::primaryText(palette());
    for (int tab = 0; tab < m_tabs->count(); ++tab)
        m_tabs->setTabIcon(tab, Icons::icon(symbols[tab], ink));
}
