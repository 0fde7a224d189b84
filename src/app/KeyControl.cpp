#include "app/KeyControl.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace KeyControl {

std::optional<Command> commandFor(int key, Qt::KeyboardModifiers modifiers, const Target& target)
{
    constexpr Qt::KeyboardModifiers held =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (modifiers & held)
        return std::nullopt;
    if (!target.hasWindow || !target.isActiveWindow || target.isSettingsWindow ||
        target.hasModalOnTop || target.isEditingText)
        return std::nullopt;
    switch (key) {
    case Qt::Key_Left:
        return Command::PreviousFrame;
    case Qt::Key_Right:
        return Command::NextFrame;
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_0: // the main keyboard's and the keypad's 0 differ only by the keypad flag
        return Command::LatestObservation;
    default:
        return std::nullopt;
    }
}

bool isTextEditor(const QWidget* widget)
{
    if (!widget)
        return false;
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget))
        return true;
    if (const auto* text = qobject_cast<const QTextEdit*>(widget))
        return !text->isReadOnly();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget))
        return !plain->isReadOnly();
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->isEditable();
    return false;
}

Target targetFor(const QWidget* receiver)
{
    Target target;
    const QWidget* window = receiver ? receiver->window() : nullptr;
    if (!window)
        return target;
    target.hasWindow = true;
    target.isActiveWindow = window == QApplication::activeWindow();
    target.isSettingsWindow = window->objectName().contains(QLatin1String("Settings"));
    const QWidget* modal = QApplication::activeModalWidget();
    target.hasModalOnTop = modal && modal != window;
    if (!target.hasModalOnTop && window->isModal() && window->parentWidget())
        target.hasModalOnTop = true; // the press belongs to a dialog shown over a window
    target.isEditingText = isTextEditor(QApplication::focusWidget()) || isTextEditor(receiver);
    return target;
}

Monitor::Monitor(Handler handler)
    : m_handler(std::move(handler))
{
    qApp->installEventFilter(this);
}

Monitor::~Monitor()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool Monitor::eventFilter(QObject* watched, QEvent* event)
{
    // A press reaches the application filter once for the window and once per widget on its
    // way up; deciding at the first widget keeps one press one action.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    return m_handler(static_cast<QKeyEvent*>(event), static_cast<QWidget*>(watched));
}

} // namespace KeyControl
