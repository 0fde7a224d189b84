// Frame stepping with the arrow keys and 0, from anywhere in the main window.
#include "app/AppSettings.h"
#include "app/AppState.h"
#include "app/KeyControl.h"
#include "radar/RadarPlayer.h"

#include <QKeyEvent>
#include <QPointer>

void AppState::startKeyMonitor()
{
    if (m_keyMonitor)
        return;
    QPointer<AppState> self(this);
    m_keyMonitor =
        std::make_unique<KeyControl::Monitor>([self](QKeyEvent* event, QWidget* receiver) {
            return self && self->handleKey(event, receiver);
        });
}

bool AppState::handleKey(QKeyEvent* event, QWidget* receiver)
{
    const auto command =
        KeyControl::commandFor(event->key(), event->modifiers(), KeyControl::targetFor(receiver));
    if (!command)
        return false;
    const bool live = m_settings->playbackMode() == RadarPlaybackMode::Live;
    switch (*command) {
    case KeyControl::Command::PreviousFrame:
    case KeyControl::Command::NextFrame: {
        const int delta = *command == KeyControl::Command::NextFrame ? 1 : -1;
        if (live) {
            stepLiveOffset(delta);
        } else {
            pausePlayback();
            m_detailPlayer->scrub(m_detailPlayer->index() + delta);
        }
        return true;
    }
    case KeyControl::Command::LatestObservation:
        if (live) {
            setLiveOffset(0);
        } else {
            pausePlayback();
            m_detailPlayer->jumpToLatestObservation();
        }
        return true;
    }
    return false;
}
