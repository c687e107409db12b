// The one way observable objects take a new value: store it and signal only when it differs,
// so observers never hear of a change that did not happen.
#pragma once

namespace vorla {

template <typename Object, typename T, typename Signal>
void assignAndNotify(Object *object, T &field, const T &value, Signal changed)
{
    if (field == value)
        return;
    field = value;
    emit(object->*changed)();
}

} // namespace vorla
