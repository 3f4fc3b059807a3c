#pragma once
#include <utility>

// Whatever shows the user that work is under way (the busy tray icon, the
// communicating indicator). Periods nest: the sign shows from the first begin
// to the matching last end. Callable from any thread; an implementation
// carries the change to its own window's thread.
class BusySignal {
public:
    virtual void begin_busy() = 0;
    virtual void end_busy() = 0;

protected:
    ~BusySignal() = default;
};

// One busy period: begun when made, ended exactly once, when destroyed or by
// end(). Movable, so a period begun with a request can end where the request
// is answered. Without a signal it does nothing.
class BusyScope {
public:
    BusyScope() = default;
    explicit BusyScope(BusySignal* signal) : signal_(signal)
    {
        if (signal_) signal_->begin_busy();
    }
    BusyScope(BusyScope&& other) noexcept : signal_(std::exchange(other.signal_, nullptr)) {}
    BusyScope& operator=(BusyScope&& other) noexcept
    {
        if (this != &other) {
            end();
            signal_ = std::exchange(other.signal_, nullptr);
        }
        return *this;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    ~BusyScope() { end(); }

    void end()
    {
        if (BusySignal* signal = std::exchange(signal_, nullptr)) signal->end_busy();
    }
    // True while the period lasts.
    explicit operator bool() const { return signal_ != nullptr; }

private:
    BusySignal* signal_ = nullptr;
};
