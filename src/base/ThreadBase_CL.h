#pragma once
#include <atomic>
#include <string>

#include <windows.h>

#include "base/KernelHandle.h"

// A worker thread with its own thread-message queue, started and stopped by
// its owner on the user-interface thread and woken by a posted message.
// A derived worker stops itself in its own destructor: by the time this base
// is destroyed, the derived handlers are gone.
class ThreadBase_CL {
public:
    // The worker's loop takes only messages of this range.
    static constexpr UINT kFirstMessage = WM_USER + 200;
    static constexpr UINT kQuitMessage = WM_USER + 201;
    static constexpr UINT kWorkMessage = WM_USER + 202;
    static constexpr UINT kLastMessage = WM_USER + 4296;

    ThreadBase_CL() = default;
    ThreadBase_CL(const ThreadBase_CL&) = delete;
    ThreadBase_CL& operator=(const ThreadBase_CL&) = delete;

    // Runs on the worker thread for every message. The loop ends on quit when
    // this returns 0; non-zero keeps the worker alive past it.
    virtual int on_thread_message(UINT message, WPARAM wparam, LPARAM lparam);
    virtual ~ThreadBase_CL();
    // Starts the thread unless it runs; returns once its message queue exists.
    virtual void start();
    // Posts work to the thread.
    virtual BOOL wake();
    // Asks the thread to end and waits for it, serving the calling thread's
    // windows meanwhile, so a worker sending to one of them cannot deadlock.
    // Window tasks the worker posted to this thread have run when it returns.
    // A start() while a stop() waits does nothing.
    virtual void stop();

    void set_thread_name(const std::wstring& name);
    bool running() const;

    // Set by stop() (or by an owner resetting the worker); long work reads it to give up early.
    std::atomic<bool> stop_requested{false};

private:
    static unsigned __stdcall thread_proc(void* self);
    void run_loop();
    int handle_safely(const MSG& msg);
    std::wstring name_or_default() const;

    KernelHandle thread_;
    DWORD thread_id_ = 0;
    int stop_depth_ = 0;  // stop() calls waiting on the thread (nested through served messages)
    KernelHandle queue_ready_;
    std::wstring thread_name_;
};
