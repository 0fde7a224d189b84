#pragma once

#include <QObject>

#include <functional>
#include <optional>

class QKeyEvent;
class QWidget;

// The keys that move through the radar frames from anywhere in the main window.
namespace KeyControl {

enum class Command { PreviousFrame, NextFrame, LatestObservation };

// Where a key press would land, as far as the radar keys care.
struct Target {
    bool hasWindow = false;
    bool isActiveWindow = false;
    bool isSettingsWindow = false;
    bool hasModalOnTop = false; // a modal dialog or sheet over the window
    bool isEditingText = false; // the focused control takes typing
};

// The radar command for a key, or nothing when the key is not ours: another key, a held
// Shift/Control/Alt/Meta (the keypad flag does not count), or a window that must keep it.
std::optional<Command> commandFor(int key, Qt::KeyboardModifiers modifiers, const Target& target);

// What the application currently offers a key press delivered to `receiver`.
Target targetFor(const QWidget* receiver);

// Whether `widget` takes typed text (line and text editors, spin boxes, editable combos).
bool isTextEditor(const QWidget* widget);

// An application-wide filter that hands every key press to `handler` before any widget
// sees it; the press is swallowed when the handler returns true.
class Monitor final : public QObject {
public:
    using Handler = std::function<bool(QKeyEvent*, QWidget* receiver)>;
    explicit Monitor(Handler handler);
    ~Monitor() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler m_handler;
};

} // namespace KeyControl
