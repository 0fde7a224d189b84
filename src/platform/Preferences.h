#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// The preferences store. The rest of the program receives the returned QSettings as its
// store handle; values keep their types across restarts (see JsonSettingsFormat.h).
namespace Preferences {

// A store that tells when its file cannot be saved (a read-only or full folder). Changes
// then stay in memory for the rest of the run and the file on disk is left as it was:
// QSettings saves through a temporary file that replaces the old one only when complete.
class Store : public QSettings {
    Q_OBJECT
    Q_PROPERTY(bool savingFailed READ savingFailed NOTIFY savingFailedChanged)

public:
    explicit Store(const QString& path, QObject* parent = nullptr);
    ~Store() override;

    // Set by the first failed save and kept for the run: QSettings holds on to its first
    // error, so a later success cannot be told apart.
    bool savingFailed() const { return m_savingFailed; }

Q_SIGNALS:
    void savingFailedChanged();

protected:
    bool event(QEvent* event) override;

private:
    void checkSaved();

    bool m_savingFailed = false;
};

// Registered with QSettings on first use; every call returns the same format.
QSettings::Format jsonFormat();

// "settings.json" in the per-user application configuration folder, which is created
// if missing.
std::unique_ptr<Store> openStandard();

std::unique_ptr<Store> openFile(const QString& path);

} // namespace Preferences
