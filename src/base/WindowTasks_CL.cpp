#include "base/WindowTasks_CL.h"

#include "base/Trace.h"

WindowTasks_CL::~WindowTasks_CL()
{
    close();
}

bool WindowTasks_CL::post(WindowTask task)
{
    std::unique_lock<std::mutex> guard(lock_);
    if (!window_) return false;
    queue_.push_back(std::move(task));
    if (posted_) return true;
    if (PostMessageW(window_, kMessage, 0, 0)) {
        posted_ = true;
        return true;
    }
    // The window went without closing the road, or its message queue is full.
    const DWORD error = GetLastError();
    WindowTask refused = std::move(queue_.back());
    queue_.pop_back();
    guard.unlock();
    trace::failure(L"window task dropped: the window took no message", error);
    return false;
}

bool WindowTasks_CL::run_or_post(WindowTask task)
{
    if (!open_on_this_thread()) return post(std::move(task));
    task();
    return true;
}

bool WindowTasks_CL::open_on_this_thread()
{
    std::lock_guard<std::mutex> guard(lock_);
    return window_ && thread_ == GetCurrentThreadId();
}

void WindowTasks_CL::open(HWND window)
{
    std::lock_guard<std::mutex> guard(lock_);
    window_ = window;
    thread_ = window ? GetWindowThreadProcessId(window, nullptr) : 0;
}

void WindowTasks_CL::close()
{
    std::vector<WindowTask> released;
    {
        std::lock_guard<std::mutex> guard(lock_);
        window_ = nullptr;
        thread_ = 0;
        posted_ = false;
        released.swap(queue_);
    }
    // Released outside the lock: what a task owns may take a while to free.
}

bool WindowTasks_CL::on_message(UINT message)
{
    if (message == WM_DESTROY) close();
    if (message != kMessage) return false;
    run_queued();
    return true;
}

bool WindowTasks_CL::accepting()
{
    std::lock_guard<std::mutex> guard(lock_);
    return window_ != nullptr;
}

// Tasks posted while these run arrive with a message of their own, so a long
// stream of them never starves the window's painting and input.
void WindowTasks_CL::run_queued()
{
    std::vector<WindowTask> batch;
    {
        std::lock_guard<std::mutex> guard(lock_);
        batch.swap(queue_);
        posted_ = false;
    }
    for (WindowTask& task : batch) {
        // A task that closed the window releases the rest unrun.
        if (!accepting()) return;
        try {
            task();
        } catch (...) {
            trace::failure(L"window task given up after an exception");
        }
    }
}
