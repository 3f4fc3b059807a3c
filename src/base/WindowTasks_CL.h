#pragma once
#include <vector>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

#include <windows.h>

// One piece of work for a window's thread: any callable taking nothing. It is
// move-only, so it may own what it hands over (a decoded picture, a block of
// bytes, records), which is freed with it whether it runs or not.
class WindowTask {
public:
    template <class Callable, class = std::enable_if_t<!std::is_same_v<std::decay_t<Callable>, WindowTask>>>
    WindowTask(Callable callable) : callable_(std::make_unique<Holder<Callable>>(std::move(callable)))
    {
    }
    void operator()() { callable_->run(); }

private:
    struct Runnable {
        virtual ~Runnable() = default;
        virtual void run() = 0;
    };
    template <class Callable>
    struct Holder final : Runnable {
        explicit Holder(Callable held) : callable(std::move(held)) {}
        void run() override { callable(); }
        Callable callable;
    };
    std::unique_ptr<Runnable> callable_;
};

// The one road from a worker thread to a window: a task posted here runs on
// the window's thread, from its window procedure, in the order posted.
// Workers never touch a window or its object themselves; they post.
//
// The road has a defined end. Before open() and after close() (the window is
// destroyed, or its object let it go) a post is refused and the task released
// at once; tasks still queued at close() are released without running. A task
// therefore never runs after its window is gone, and may capture the window's
// object.
class WindowTasks_CL {
public:
    // Tells the window that tasks wait; answered by on_message().
    static constexpr UINT kMessage = WM_APP + 0x7F0;

    WindowTasks_CL() = default;
    WindowTasks_CL(const WindowTasks_CL&) = delete;
    WindowTasks_CL& operator=(const WindowTasks_CL&) = delete;
    // Releases whatever is still queued.
    ~WindowTasks_CL();

    // Any thread. False when the task was released instead of queued.
    [[nodiscard]] bool post(WindowTask task);
    // Runs the task at once when called on the window's thread, else posts it.
    [[nodiscard]] bool run_or_post(WindowTask task);

    // Window thread: the window exists and takes tasks from now on.
    void open(HWND window);
    // Window thread: the window goes. Queued tasks are released unrun and
    // later posts are refused.
    void close();
    // For the window procedure, before the object sees the message: runs the
    // queued tasks on kMessage (true: the message is answered) and closes on
    // WM_DESTROY, so nothing runs while the window is torn down.
    bool on_message(UINT message);

private:
    bool open_on_this_thread();
    void run_queued();
    bool accepting();

    std::mutex lock_;
    HWND window_ = nullptr;
    DWORD thread_ = 0;
    bool posted_ = false;  // a kMessage is on its way for what is queued
    std::vector<WindowTask> queue_;
};
