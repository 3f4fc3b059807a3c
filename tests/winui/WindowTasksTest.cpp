#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <thread>
#include <vector>

#include <windows.h>

#include "UiTestSupport.h"
#include "base/JobWorker_CL.h"
#include "base/ThreadBase_CL.h"
#include "base/WindowTasks_CL.h"
#include "winui/MainWindowBase_CL.h"
#include "winui/StaticText_CL.h"

using ui_testing::HostWindow;
using ui_testing::pump_messages;
using ui_testing::pump_until;

namespace {

// A subclassed control, the kind of window the lists and the preview are.
class TaskControl {
public:
    explicit TaskControl(HWND parent, bool bound = true)
    {
        control.create(parent, 0x77, L"tasks", 0, 0);
        if (bound) control.subclass();
    }
    WindowTasks_CL& tasks() { return control.tasks(); }
    StaticText_CL control;
};

// Posts from its own thread, as the workers do, and says whether every post was taken.
bool post_from_worker(WindowTasks_CL& tasks, std::vector<WindowTask> batch)
{
    bool taken = true;
    std::thread worker([&] {
        for (WindowTask& task : batch) taken = tasks.post(std::move(task)) && taken;
    });
    worker.join();
    return taken;
}

// A task that owns a share of `owned`: once the share is gone the task was released.
WindowTask marking_task(bool& ran, const std::shared_ptr<int>& owned)
{
    return [&ran, owned] { ran = true; };
}

// Posts one task whenever it is woken.
class PostingWorker : public ThreadBase_CL {
public:
    PostingWorker(WindowTasks_CL& tasks, int& ran) : tasks_(tasks), ran_(ran) {}
    ~PostingWorker() override { stop(); }
    int on_thread_message(UINT message, WPARAM, LPARAM) override
    {
        int& ran = ran_;
        if (message == kWorkMessage) posted_ = tasks_.post([&ran] { ++ran; });
        return 0;
    }
    bool posted_ = false;

private:
    WindowTasks_CL& tasks_;
    int& ran_;
};

}  // namespace

TEST(WindowTasks, TasksFromAWorkerRunOnTheWindowThreadInTheOrderPosted)
{
    HostWindow host;
    TaskControl window(host.hwnd());
    std::vector<int> order;
    std::vector<DWORD> threads;
    std::vector<WindowTask> batch;
    for (int i = 0; i < 5; ++i)
        batch.emplace_back([&order, &threads, i] {
            order.push_back(i);
            threads.push_back(GetCurrentThreadId());
        });
    ASSERT_TRUE(post_from_worker(window.tasks(), std::move(batch)));
    EXPECT_TRUE(order.empty());  // nothing runs until the window's thread takes its messages
    ASSERT_TRUE(pump_until([&] { return order.size() == 5; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    for (DWORD thread : threads) EXPECT_EQ(thread, GetCurrentThreadId());

    // On the window's own thread there is nothing to wait for.
    bool at_once = false;
    EXPECT_TRUE(window.tasks().run_or_post([&at_once] { at_once = true; }));
    EXPECT_TRUE(at_once);
}

TEST(WindowTasks, APostBeforeBindingOrAfterDestructionIsRefusedAndReleasedUnrun)
{
    HostWindow host;
    TaskControl window(host.hwnd(), false);
    bool ran = false;
    auto owned = std::make_shared<int>(0);
    const std::weak_ptr<int> share = owned;

    EXPECT_FALSE(window.tasks().post(marking_task(ran, owned)));
    EXPECT_FALSE(window.tasks().run_or_post(marking_task(ran, owned)));
    EXPECT_EQ(share.use_count(), 1);  // both refused tasks are gone again

    ASSERT_TRUE(window.control.subclass());
    DestroyWindow(window.control.window());
    std::vector<WindowTask> late;
    late.push_back(marking_task(ran, owned));
    owned.reset();
    EXPECT_FALSE(post_from_worker(window.tasks(), std::move(late)));
    EXPECT_TRUE(share.expired());
    pump_messages();
    EXPECT_FALSE(ran);
}

// Whether the window goes or its object goes first (a wrapper deleted before
// its window), nothing queued may run afterwards.
TEST(WindowTasks, TasksStillQueuedWhenTheWindowOrItsObjectGoesAreReleasedUnrun)
{
    HostWindow host;
    for (const bool object_first : {false, true}) {
        auto window = std::make_unique<TaskControl>(host.hwnd());
        const HWND control = window->control.window();
        bool ran = false;
        auto owned = std::make_shared<int>(0);
        const std::weak_ptr<int> share = owned;
        std::vector<WindowTask> batch;
        batch.push_back(marking_task(ran, owned));
        batch.push_back(marking_task(ran, owned));
        owned.reset();
        ASSERT_TRUE(post_from_worker(window->tasks(), std::move(batch)));
        EXPECT_FALSE(share.expired());  // queued, waiting for the window's thread

        if (object_first) window.reset();
        DestroyWindow(control);
        EXPECT_TRUE(share.expired());
        pump_messages();
        EXPECT_FALSE(ran);
    }
}

TEST(WindowTasks, ATopLevelWindowTakesTasksFromCreationToDestruction)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    UnregisterClassW(MainWindowBase_CL::kClassName, instance);
    MainWindowBase_CL window;
    window.set_style(window.style() & ~WS_VISIBLE);
    bool ran = false;
    auto owned = std::make_shared<int>(0);
    const std::weak_ptr<int> share = owned;
    EXPECT_FALSE(window.tasks().post(marking_task(ran, owned)));

    ASSERT_NE(window.create(), nullptr);
    std::vector<WindowTask> first;
    first.push_back(marking_task(ran, owned));
    ASSERT_TRUE(post_from_worker(window.tasks(), std::move(first)));
    ASSERT_TRUE(pump_until([&] { return ran; }));

    ran = false;
    std::vector<WindowTask> queued;
    queued.push_back(marking_task(ran, owned));
    owned.reset();
    ASSERT_TRUE(post_from_worker(window.tasks(), std::move(queued)));
    DestroyWindow(window.window());
    EXPECT_TRUE(share.expired());
    int quit_code = 0;
    pump_messages(&quit_code);  // the base window posts its quit on WM_DESTROY
    EXPECT_FALSE(ran);
    UnregisterClassW(MainWindowBase_CL::kClassName, instance);
}

// As with the sent messages the tasks replace, a worker that has stopped
// leaves nothing behind: its owner never meets a result of stopped work later.
TEST(WindowTasks, StoppingAWorkerRunsTheTasksItPostedBeforeReturning)
{
    HostWindow host;
    TaskControl window(host.hwnd());
    int ran = 0;
    PostingWorker worker(window.tasks(), ran);
    worker.start();
    ASSERT_TRUE(worker.wake());
    worker.stop();  // the work message comes before the quit, so the post is made
    EXPECT_TRUE(worker.posted_);
    EXPECT_EQ(ran, 1);
}

// A job runs on the worker's thread and its outcome on the window's; a job
// that throws hands over the task for giving up instead, so the window is
// never left waiting for an outcome.
TEST(WindowTasks, AJobsOutcomeOrItsGivingUpReachesTheWindow)
{
    HostWindow host;
    TaskControl window(host.hwnd());
    JobWorker_CL worker(window.tasks());
    DWORD job_thread = 0, outcome_thread = 0;
    int outcomes = 0, given_up = 0;
    worker.run(
        [&]() -> WindowTask {
            job_thread = GetCurrentThreadId();
            return [&] {
                outcome_thread = GetCurrentThreadId();
                ++outcomes;
            };
        },
        [&] { ++given_up; });
    ASSERT_TRUE(pump_until([&] { return outcomes == 1; }));
    EXPECT_NE(job_thread, GetCurrentThreadId());
    EXPECT_EQ(outcome_thread, GetCurrentThreadId());

    worker.run([]() -> WindowTask { throw std::bad_alloc(); }, [&] { ++given_up; });
    ASSERT_TRUE(pump_until([&] { return given_up == 1; }));
    worker.stop();
    EXPECT_EQ(outcomes, 1);
}
