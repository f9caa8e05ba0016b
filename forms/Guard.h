// The edge between the toolkit and the program's handlers. An exception that went on into the
// toolkit's or the system's frames would end the program and lose what the user typed; here it
// stops, what the user typed stays, and the user hears the platform's alert.
#pragma once

#include <utility>

namespace forms {

// The platform's alert sound (the system's beep), or the listener set in its place.
void Alert() noexcept;

// Where a test hears the alert instead of the speaker; null gives the platform's sound back.
// The catching stays the program's own.
using AlertListener = void (*)() noexcept;
void ListenToAlerts(AlertListener listener) noexcept;

template <class F>
void Guarded(F&& handler) noexcept {
    try {
        std::forward<F>(handler)();
    } catch (...) {
        Alert();
    }
}

// As above for a handler with a result: failed stands in for it.
template <class R, class F>
R Guarded(R failed, F&& handler) noexcept {
    try {
        return std::forward<F>(handler)();
    } catch (...) {
        Alert();
        return failed;
    }
}

}  // namespace forms
