#include "base/JobWorker_CL.h"

#include <utility>

#include "base/Trace.h"

void JobWorker_CL::run(Job job, WindowTask given_up)
{
    {
        std::lock_guard<std::mutex> lock(lock_);
        job_ = std::move(job);
        given_up_.emplace(std::move(given_up));
    }
    start();
    wake();
}

int JobWorker_CL::on_thread_message(UINT message, WPARAM, LPARAM)
{
    if (message != kWorkMessage) return 0;
    Job job;
    std::optional<WindowTask> given_up;
    {
        std::lock_guard<std::mutex> lock(lock_);
        job = std::move(job_);
        job_ = nullptr;
        given_up.swap(given_up_);
    }
    if (!job || !given_up || stop_requested) return 0;
    try {
        // A window that is gone takes no outcome.
        (void)tasks_.post(job());
    } catch (...) {
        trace::failure(L"a window's job given up after an exception");
        (void)tasks_.post(std::move(*given_up));
    }
    return 0;
}
