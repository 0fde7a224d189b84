#pragma once

#include <utility>

// Observable properties notify only when a value really changes. Setters use this:
//     if (assignIfChanged(m_frames, frames)) Q_EMIT framesChanged();
template <typename T, typename U>
bool assignIfChanged(T& field, U&& value)
{
    if (field == value)
        return false;
    field = std::forward<U>(value);
    return true;
}
