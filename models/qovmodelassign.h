#pragma once

// Compare-then-store for setters: true when the value changed and the caller should notify.
template<typename T>
bool qovAssign(T &field, const T &value)
{
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}
