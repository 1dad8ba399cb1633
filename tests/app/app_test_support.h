// Helpers of the app tests: a main window with fake browser views, a gate that holds a
// coroutine, and readable Qt strings in failure messages.
#pragma once

#include <QString>
#include <coroutine>
#include <ostream>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "support/fake_browser_view.h"

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace lc::testing {

inline BrowserViewFactory fakeViewFactory() {
    return [](QWidget* parent, const QString&) -> BrowserView* { return new FakeBrowserView(parent); };
}

inline FakeBrowserView& fakeView(BrowserView& view) {
    return static_cast<FakeBrowserView&>(view);
}

// `co_await gate.wait()` holds a coroutine until open() resumes it, as a slow page answer would.
class Gate {
public:
    struct Awaiter {
        Gate* gate;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> waiter) { gate->waiters_.push_back(waiter); }
        void await_resume() const noexcept {}
    };

    Gate() = default;
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

    Awaiter wait() { return {this}; }
    void open() {
        for (std::coroutine_handle<> waiter : std::exchange(waiters_, {})) waiter.resume();
    }

private:
    std::vector<std::coroutine_handle<>> waiters_;
};

}  // namespace lc::testing
