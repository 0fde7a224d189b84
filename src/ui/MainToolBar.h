#pragma once

#include <QToolBar>

class AppState;
class LocationPickerView;
class Popover;
class QToolButton;

// The main window's toolbar: the location picker, the 再生／ライブ switch, 現在地, 優先設定
// (the settings in a popover) and 再描画. No control takes keyboard focus, so the arrow keys
// keep stepping through the radar frames.
class MainToolBar : public QToolBar {
    Q_OBJECT

public:
    explicit MainToolBar(AppState* state, QWidget* parent = nullptr);

    LocationPickerView* locationPicker() const { return m_picker; }
    QToolButton* currentLocationButton() const { return m_currentLocation; }
    QToolButton* redrawButton() const { return m_redraw; }

private:
    QToolButton* addButton(const QString& symbol, const QString& label, const QString& help);
    void refreshMode();
    void refreshIcons();

    AppState* m_state;
    LocationPickerView* m_picker;
    QToolButton* m_animation;
    QToolButton* m_live;
    QToolButton* m_currentLocation;
    QToolButton* m_settings;
    QToolButton* m_redraw;
    Popover* m_settingsPopover;
};
