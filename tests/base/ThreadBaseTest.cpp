#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "TestSupport.h"
#include "net/DownloadUri_CL.h"
#include "base/Semapho_CL.h"
#include "base/ThreadBase_CL.h"

namespace {

// Counts work messages and records the name its thread carries.
class CountingWorker : public ThreadBase_CL {
public:
    ~CountingWorker() override { stop(); }

    std::atomic<int> work_done{0};
    std::wstring seen_name;
    KernelHandle worked{CreateEventW(nullptr, FALSE, FALSE, nullptr)};

    int on_thread_message(UINT message, WPARAM, LPARAM) override
    {
        if (message != kWorkMessage) return 0;
        seen_name = current_thread_name();
        ++work_done;
        SetEvent(worked.get());
        return 0;
    }

    static std::wstring current_thread_name()
    {
        using GetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PWSTR*);
        const auto get = reinterpret_cast<GetThreadDescriptionFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
        PWSTR name = nullptr;
        if (!get || FAILED(get(GetCurrentThread(), &name)) || !name) return L"(unavailable)";
        std::wstring result = name;
        LocalFree(name);
        return result;
    }
};

}  // namespace

TEST(ThreadBase, StopOnANeverStartedWorkerReturnsAtOnce)
{
    CountingWorker worker;
    worker.stop();
    EXPECT_FALSE(worker.running());
    EXPECT_FALSE(worker.wake());
    DownloadUri_CL downloader;
    downloader.stop();
    downloader.cancel_downloads();
    EXPECT_FALSE(downloader.running());
}

TEST(ThreadBase, AWorkerWakesNamedRunsAgainAfterStopAndKeepsOneThread)
{
    CountingWorker worker;
    worker.set_thread_name(L"Tapestrel test worker");
    worker.start();
    worker.start();  // already running: nothing happens
    ASSERT_TRUE(worker.wake());
    ASSERT_EQ(WaitForSingleObject(worker.worked.get(), 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(worker.running());
    if (worker.seen_name != L"(unavailable)") {
        EXPECT_EQ(worker.seen_name, L"Tapestrel test worker");
    }

    worker.stop();
    EXPECT_FALSE(worker.running());
    EXPECT_TRUE(worker.stop_requested);
    EXPECT_FALSE(worker.wake());

    worker.start();
    EXPECT_FALSE(worker.stop_requested);
    ASSERT_TRUE(worker.wake());
    ASSERT_EQ(WaitForSingleObject(worker.worked.get(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(worker.work_done, 2);
}

TEST(ThreadBase, StopKeepsAQuitMessageOfTheCallingThreadForItsOwnLoop)
{
    CountingWorker worker;
    worker.start();
    PostQuitMessage(7);
    worker.stop();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

// Holds its thread in a work message until released.
class HeldWorker : public ThreadBase_CL {
public:
    ~HeldWorker() override
    {
        SetEvent(release.get());
        stop();
    }

    KernelHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    int on_thread_message(UINT message, WPARAM, LPARAM) override
    {
        if (message == kWorkMessage) WaitForSingleObject(release.get(), INFINITE);
        return 0;
    }
};

TEST(ThreadBase, AStopNestedInAnotherStopsWaitLeavesTheOuterWaitingOnTheThreadItself)
{
    static HeldWorker* worker;
    static HANDLE stray;  // made right after the nested stop, so it may take a closed handle's number
    HeldWorker held;
    worker = &held;
    stray = nullptr;
    KernelHandle stray_made(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    static HANDLE stray_made_event;
    stray_made_event = stray_made.get();
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
        if (message != WM_APP) return DefWindowProcW(hwnd, message, wparam, lparam);
        SetEvent(worker->release.get());
        worker->stop();
        stray = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetEvent(stray_made_event);
        return 0;
    };
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"NestedStopTarget";
    RegisterClassW(&window_class);
    HWND target = CreateWindowW(L"NestedStopTarget", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(target, nullptr);

    held.start();
    ASSERT_TRUE(held.wake());
    PostMessageW(target, WM_APP, 0, 0);  // served by the outer stop's wait
    // Should the outer wait be on the stray event instead of the thread, only this ends it.
    std::atomic<bool> stray_set{false};
    std::thread rescuer([&] {
        WaitForSingleObject(stray_made.get(), INFINITE);
        Sleep(3000);
        stray_set = true;
        SetEvent(stray);
    });
    held.stop();
    const bool outer_needed_the_stray = stray_set.load();
    rescuer.join();
    EXPECT_FALSE(outer_needed_the_stray);
    EXPECT_FALSE(held.running());
    held.start();  // a stopped worker starts again
    EXPECT_TRUE(held.running());
    CloseHandle(stray);
    DestroyWindow(target);
}

TEST(Semapho, ALockIsExclusiveAndAnotherWaiterGetsItWhenReleased)
{
    Semapho_CL semaphore;
    KernelHandle acquired(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::pair<Semapho_CL*, HANDLE> shared(&semaphore, acquired.get());
    HANDLE thread = nullptr;
    {
        Semapho_CL::Lock_CL lock(semaphore);
        ASSERT_TRUE(lock.held());
        thread = CreateThread(nullptr, 0, [](void* arg) -> DWORD {
            auto* pair = static_cast<std::pair<Semapho_CL*, HANDLE>*>(arg);
            Semapho_CL::Lock_CL inner(*pair->first);
            if (inner.held()) SetEvent(pair->second);
            return 0;
        }, &shared, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        // While held here, the other thread cannot have it.
        EXPECT_EQ(WaitForSingleObject(acquired.get(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    EXPECT_EQ(WaitForSingleObject(acquired.get(), 20000), WAIT_OBJECT_0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}
