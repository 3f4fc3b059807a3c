#pragma once
#include <functional>
#include <mutex>
#include <optional>

#include "base/ThreadBase_CL.h"
#include "base/WindowTasks_CL.h"

// A worker for one slow job at a time that its window starts (a draw, an
// install, a new layout): the job runs on the worker's thread and gives back
// the task that hands its outcome to the window. Should the job throw (only
// exhausted memory can), the `given_up` task goes instead, so the window never
// waits for an outcome that will not come.
class JobWorker_CL : public ThreadBase_CL {
public:
    using Job = std::function<WindowTask()>;

    explicit JobWorker_CL(WindowTasks_CL& tasks) : tasks_(tasks) {}
    ~JobWorker_CL() override { stop(); }

    // Window thread: starts the worker when it does not run and hands it the
    // job. The owner starts one job at a time, each after the last one's outcome.
    void run(Job job, WindowTask given_up);
    int on_thread_message(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    WindowTasks_CL& tasks_;
    std::mutex lock_;  // guards the two below, handed from the window's thread
    Job job_;
    std::optional<WindowTask> given_up_;
};
