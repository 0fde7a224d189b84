#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class AppState;
class QScrollArea;

// The settings form: display, playback, radar, typhoon, lightning and prefecture sections,
// each control showing one setting and following it when it changes elsewhere (the mode
// switched in the main window, say). Display settings are written straight into
// AppSettings; the timeline options and the playback mode go through the controller, and
// speed, pause and step are assigned and then applied to the players by the controller, so
// that the timeline and the players follow at once.
//
// The same form is the "一般" tab of the settings window and the content of the main
// window's settings popover. In the window its controls take keyboard focus like any form.
// Over the radar they must not, or a clicked slider would swallow the arrow keys that step
// the frames: call setTakesKeyboardFocus(false) there.
//
// Every control carries the name of the setting it shows as its object name (sliders
// "radarOpacity", "textScale", "framesPerSecond", "loopPause", "stepMinutes",
// "forecastHorizonHours"; pickers "theme", "playbackMode", "range"; toggles
// "includeForecast", "showTyphoon", "showLightning", "showPrefectureBorders",
// "showPrefectureLabels"); a slider's value text is "<name>Value", its whole row
// "<name>Row", and the notes under the mode and range pickers "playbackModeNote" and
// "rangeNote".
class SettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 340;
    static constexpr int kMinimumHeight = 460;

    explicit SettingsView(AppState* state, QWidget* parent = nullptr);
    ~SettingsView() override;

    AppState* state() const { return m_state; }

    void setTakesKeyboardFocus(bool takes);

    QSize sizeHint() const override;

    // "70%": the integer part of value × 100 (0.29 shows 28%).
    static QString percentText(double value);
    // "2.5 コマ/秒".
    static QString framesPerSecondText(double value);
    // "0.8 秒".
    static QString loopPauseText(double value);
    // "5 分ごと".
    static QString stepMinutesText(double value);
    // "6 時間先まで（…）".
    static QString forecastHorizonText(double value);
    static QString playbackModeNote(bool live);
    static QString rangeNote(bool twelveHours);

private:
    struct Controls;

    QWidget* buildForm();
    void refresh();
    void applyFocusPolicy();

    AppState* m_state;
    bool m_takesKeyboardFocus = true;
    QScrollArea* m_scroll = nullptr;
    std::unique_ptr<Controls> m_controls;
};
