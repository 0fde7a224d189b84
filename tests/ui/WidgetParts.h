#pragma once

#include <QString>
#include <QWidget>

namespace testing {

// The child of `view` named `name`; a test that asks for a part that is not there stops.
template <typename T = QWidget>
T* part(const QWidget& view, const QString& name)
{
    T* found = view.findChild<T*>(name);
    if (!found)
        qFatal("no part %s", qPrintable(name));
    return found;
}

} // namespace testing
