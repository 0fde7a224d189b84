#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class SoftwareUpdaterModel;

// The "更新" tab of the settings window: the automatic-check switch, when the last check
// finished, a button to check now, and the running version. In a build without a release
// feed the section says that the system's packages bring updates, and its controls are off.
class SoftwareUpdateSettingsView : public QWidget {
    Q_OBJECT

public:
    // The model is not owned and must outlive the view.
    explicit SoftwareUpdateSettingsView(SoftwareUpdaterModel* updater, QWidget* parent = nullptr);

    QCheckBox* automaticChecksToggle() const { return m_automatic; }
    QPushButton* checkNowButton() const { return m_checkNow; }
    QLabel* lastCheckLabel() const { return m_lastCheck; }
    // Shown only in a build without a release feed.
    QLabel* updatesFromSystemNote() const { return m_fromSystem; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refreshLastCheck();

    SoftwareUpdaterModel* m_updater;
    QCheckBox* m_automatic;
    QLabel* m_lastCheck;
    QLabel* m_fromSystem;
    QPushButton* m_checkNow;
    QLabel* m_version;
};
