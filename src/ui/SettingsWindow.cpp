#include "ui/SettingsWindow.h"

#include "platform/Icons.h"
#include "ui/PaneStyle.h"
#include "ui/SettingsView.h"
#include "update/SoftwareUpdateSettingsView.h"

#include <QGuiApplication>
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
    const QColor ink = PaneStyle::primaryText(QGuiApplication::palette());
    m_tabs->addTab(new SettingsView(state), Icons::icon(QStringLiteral("gearshape"), ink),
                   QStringLiteral("一般"));
    m_tabs->addTab(new SoftwareUpdateSettingsView(updater),
                   Icons::icon(QStringLiteral("arrow.triangle.2.circlepath"), ink),
                   QStringLiteral("更新"));
    layout->addWidget(m_tabs);
}
