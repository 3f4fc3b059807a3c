#include "base/ThreadBase_CL.h"

#include <process.h>

#include "base/ComScope.h"
#include "base/ThreadName.h"
#include "base/Trace.h"
#include "base/WindowTasks_CL.h"

namespace {

// Waits for the thread to end while dispatching every window message of the
// calling thread. A quit message met meanwhile is posted again afterwards, so
// the caller's own loop still sees it. The tasks the worker posted to this
// thread's windows before it ended run before the wait returns, so its owner
// never meets a result of the stopped work later.
void wait_serving_windows(HANDLE thread)
{
    bool quit_seen = false;
    WPARAM quit_code = 0;
    while (MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit_seen = true;
                quit_code = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WindowTasks_CL::kMessage, WindowTasks_CL::kMessage, PM_REMOVE))
        DispatchMessageW(&msg);
    if (quit_seen) PostQuitMessage(static_cast<int>(quit_code));
}

}  // namespace

ThreadBase_CL::~ThreadBase_CL()
{
    // Only catches an owner that forgot to stop the worker.
    stop();
}

int ThreadBase_CL::on_thread_message(UINT, WPARAM, LPARAM)
{
    return 0;
}

bool ThreadBase_CL::running() const
{
    return thread_ && WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT;
}

void ThreadBase_CL::start()
{
    // During a stop the handle is still waited on; the caller starts again afterwards.
    if (running() || stop_depth_ > 0) return;
    thread_.reset();
    stop_requested = false;
    queue_ready_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!queue_ready_) return;
    unsigned id = 0;
    thread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadBase_CL::thread_proc, this, 0, &id)));
    if (!thread_) return;
    thread_id_ = id;
    name_thread(thread_.get(), name_or_default().c_str());
    const HANDLE waits[2] = {queue_ready_.get(), thread_.get()};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
}

BOOL ThreadBase_CL::wake()
{
    // A thread id outlives its thread and may be reused by another one.
    if (!running()) return FALSE;
    return PostThreadMessageW(thread_id_, kWorkMessage, 0, 0);
}

void ThreadBase_CL::stop()
{
    if (!thread_) return;
    stop_requested = true;
    PostThreadMessageW(thread_id_, kQuitMessage, 0, 0);
    // The worker cannot wait for itself; its loop ends on the quit just posted.
    if (GetCurrentThreadId() == thread_id_) return;
    // A stop() run by a window message served meanwhile waits too, but only
    // the outermost call lets the handle go: the others still wait on it.
    ++stop_depth_;
    wait_serving_windows(thread_.get());
    if (--stop_depth_ > 0) return;
    thread_.reset();
    thread_id_ = 0;
}

void ThreadBase_CL::set_thread_name(const std::wstring& name)
{
    thread_name_ = name;
    if (running()) name_thread(thread_.get(), name_or_default().c_str());
}

std::wstring ThreadBase_CL::name_or_default() const
{
    return thread_name_.empty() ? L"ThreadBase_CL" : thread_name_;
}

unsigned __stdcall ThreadBase_CL::thread_proc(void* self)
{
    static_cast<ThreadBase_CL*>(self)->run_loop();
    return 0;
}

void ThreadBase_CL::run_loop()
{
    // Once for the thread's life: workers parse XML and decode pictures, both through COM.
    const ComScope com;
    MSG msg;
    // The first call to a message function creates this thread's queue.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(queue_ready_.get());
    while (GetMessageW(&msg, nullptr, kFirstMessage, kLastMessage) > 0) {
        const int result = handle_safely(msg);
        if (result == 0 && msg.message == kQuitMessage) break;
    }
}

// Nothing may leave the thread's entry: the one piece of work that threw
// (only exhausted memory can) is given up, and the worker serves the next.
int ThreadBase_CL::handle_safely(const MSG& msg)
{
    try {
        return on_thread_message(msg.message, msg.wParam, msg.lParam);
    } catch (...) {
        trace::failure(name_or_default() + L": work given up after an exception");
    }
    return 0;
}
