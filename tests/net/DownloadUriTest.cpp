#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "NetTestSupport.h"
#include "TestSupport.h"
#include "net/DownloadUri_CL.h"

using namespace testing_support;
using namespace net_testing;

namespace {

constexpr DWORD kWaitMs = 120000;

struct Served {
    int id;
    std::wstring uri;
    bool had_data;
    std::string bytes;
};

// Records what reaches the completion hook; `hook` runs first, on the worker thread.
class RecordingDownloader : public DownloadUri_CL {
public:
    ~RecordingDownloader() override
    {
        stop_requested = true;
        cancel_downloads();
        stop();
    }

    std::function<void(const DownloadRequest&)> hook;

    void request(int id, const std::wstring& uri)
    {
        auto request = std::make_unique<DownloadRequest>();
        request->id = id;
        request->uri = uri;
        request_download(std::move(request));
    }

    bool wait_for(size_t count)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(kWaitMs), [&] { return served_.size() >= count; });
    }

    bool wait_for_id(int id)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(kWaitMs), [&] {
            return std::any_of(served_.begin(), served_.end(), [id](const Served& s) { return s.id == id; });
        });
    }

    std::vector<Served> served()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return served_;
    }

    std::vector<int> served_ids()
    {
        std::vector<int> ids;
        for (const Served& s : served()) ids.push_back(s.id);
        return ids;
    }

    void on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock data) override
    {
        if (hook) hook(*request);
        const bool arrived = static_cast<bool>(data);
        Served served{request->id, request->uri, arrived, take_bytes(data.release())};
        std::lock_guard<std::mutex> lock(mutex_);
        served_.push_back(served);
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Served> served_;
};

// A picture that the stand-in holds back until open_gate() is called.
class GatedPicture {
public:
    explicit GatedPicture(const std::wstring& name) : path_(L"net/queue/" + fresh_name() + L"/" + name)
    {
        serve_file(path_, "gated " + narrow(name));
    }
    ~GatedPicture() { open_gate(); }
    std::wstring relative() const { return L"_gate/" + path_; }
    std::wstring url() const { return http_url(relative()); }
    bool wait_until_requested() const { return wait_for_http_request(relative(), 20000); }
    void open_gate() const { serve_file(L"_gate/" + path_ + L".open", ""); }

private:
    std::wstring path_;
};

// Asks another address before its download, as a photo asks the service for
// its sizes, and settles its address then.
struct AskingRequest : DownloadRequest {
    std::wstring ask;
    std::wstring settled;
    void prepare(const InetHttp_CL::Announce& announce) override
    {
        InetHttp_CL asking;
        announce(&asking);
        (void)asking.fetch(narrow(ask));
        announce(nullptr);
        uri = settled;
    }
};

class DownloadQueue : public ::testing::Test {
protected:
    TempFolder folder;
    RecordingDownloader worker;

    std::wstring local_file(int n)
    {
        const std::wstring path = folder.file(L"picture" + std::to_wstring(n) + L".jpg");
        write_file(path, "local " + std::to_string(n));
        return path;
    }
};

}  // namespace

TEST_F(DownloadQueue, TenNewestRequestsWaitAndAreServedNewestFirst)
{
    GatedPicture busy(L"busy.jpg");
    worker.start();
    worker.request(0, busy.url());
    ASSERT_TRUE(busy.wait_until_requested());
    for (int id = 1; id <= 12; ++id) worker.request(id, local_file(id));
    EXPECT_EQ(worker.queue_length(), 10u);
    busy.open_gate();
    ASSERT_TRUE(worker.wait_for(11));
    EXPECT_EQ(worker.served_ids(), (std::vector<int>{0, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3}));
    const std::vector<Served> served = worker.served();
    EXPECT_EQ(served[0].bytes, "gated busy.jpg");
    EXPECT_EQ(served[1].bytes, "local 12");
    EXPECT_EQ(worker.queue_length(), 0u);
}

TEST_F(DownloadQueue, AnIdBeingServedIsDroppedAndAQueuedOneMovesToTheFront)
{
    GatedPicture busy(L"five.jpg");
    worker.start();
    worker.request(5, busy.url());
    ASSERT_TRUE(busy.wait_until_requested());
    worker.request(5, local_file(50));  // the same picture is on its way already
    worker.request(6, local_file(60));
    worker.request(7, local_file(70));
    worker.request(6, local_file(61));  // asked again: new address, now first
    EXPECT_EQ(worker.queue_length(), 2u);
    busy.open_gate();
    ASSERT_TRUE(worker.wait_for(3));
    const std::vector<Served> served = worker.served();
    EXPECT_EQ(worker.served_ids(), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(served[0].bytes, "gated five.jpg");
    EXPECT_EQ(served[1].bytes, "local 61");
    EXPECT_EQ(served[2].bytes, "local 70");
}

TEST_F(DownloadQueue, RequestsMadeBeforeStartAreServedOnStartAndAMissingFileGivesNoData)
{
    worker.request(1, folder.file(L"missing.jpg"));
    worker.request(2, local_file(2));
    EXPECT_EQ(worker.queue_length(), 2u);
    worker.start();
    ASSERT_TRUE(worker.wait_for(2));
    const std::vector<Served> served = worker.served();
    EXPECT_EQ(served[0].id, 2);
    EXPECT_TRUE(served[0].had_data);
    EXPECT_EQ(served[1].id, 1);
    EXPECT_FALSE(served[1].had_data);
}

TEST_F(DownloadQueue, CancelEndsAWaitingTransferAtOnceAndDropsTheQueue)
{
    // The gate is never opened before the cancel: a transfer that went on
    // waiting would end with the picture's bytes.
    GatedPicture held(L"held.jpg");
    worker.start();
    worker.request(0, held.url());
    ASSERT_TRUE(held.wait_until_requested());
    worker.request(1, local_file(1));
    worker.request(2, local_file(2));
    worker.cancel_downloads();
    ASSERT_TRUE(worker.wait_for(1));
    EXPECT_EQ(worker.queue_length(), 0u);
    worker.request(99, local_file(99));
    ASSERT_TRUE(worker.wait_for(2));
    const std::vector<Served> served = worker.served();
    EXPECT_EQ(worker.served_ids(), (std::vector<int>{0, 99}));
    EXPECT_FALSE(served[0].had_data);
}

// The address settled by asking first is the one downloaded, with its
// answer's status; a cancel while the request asks ends its download too.
TEST_F(DownloadQueue, ARequestThatAsksFirstDownloadsWhatItSettledOnUnlessCancelledMeanwhile)
{
    std::atomic<DWORD> status{0};
    worker.hook = [&](const DownloadRequest& request) { status = request.status; };
    const std::wstring folder = L"net/queue/" + fresh_name();
    ASSERT_TRUE(serve_file(folder + L"/answer", "sizes"));
    ASSERT_TRUE(serve_file(folder + L"/gone.jpg", "stand-in picture"));
    auto asking = std::make_unique<AskingRequest>();
    asking->id = 1;
    asking->ask = http_url(folder + L"/answer");
    asking->settled = http_url(L"_status410/" + folder + L"/gone.jpg");
    worker.start();
    worker.request_download(std::move(asking));
    ASSERT_TRUE(worker.wait_for(1));
    EXPECT_EQ(worker.served()[0].uri, http_url(L"_status410/" + folder + L"/gone.jpg"));
    EXPECT_EQ(worker.served()[0].bytes, "stand-in picture");
    EXPECT_EQ(status.load(), static_cast<DWORD>(HTTP_STATUS_GONE));

    GatedPicture held(L"answer");
    ASSERT_TRUE(serve_file(folder + L"/never.jpg", "never"));
    asking = std::make_unique<AskingRequest>();
    asking->id = 2;
    asking->ask = held.url();
    asking->settled = http_url(folder + L"/never.jpg");
    worker.request_download(std::move(asking));
    ASSERT_TRUE(held.wait_until_requested());
    worker.cancel_downloads();
    ASSERT_TRUE(worker.wait_for(2));
    EXPECT_FALSE(worker.served()[1].had_data);
    EXPECT_EQ(status.load(), 0u);
    EXPECT_EQ(http_log(L"_requests.log").find(narrow(folder + L"/never.jpg")), std::string::npos);
}

TEST_F(DownloadQueue, CancellingAtAnyMomentNeverLosesTrackOfARequest)
{
    serve_file(L"net/queue/race.jpg", std::string(20000, 'r'));
    std::vector<bool> seen(1000, false);
    worker.start();
    for (int round = 0; round < 150; ++round) {
        const std::wstring uri = round % 3 == 0 ? local_file(round) : http_url(L"net/queue/race.jpg");
        worker.request(round, uri);
        Sleep(round % 4);
        worker.cancel_downloads();
        if (round % 25 == 24) {  // a full reset, as a list box does
            worker.stop_requested = true;
            worker.cancel_downloads();
            worker.stop();
            worker.start();
        }
    }
    // Whatever was in flight has ended once a last request comes through.
    worker.request(999, local_file(999));
    ASSERT_TRUE(worker.wait_for_id(999));
    for (const Served& s : worker.served()) {
        ASSERT_TRUE(s.id == 999 || (s.id >= 0 && s.id < 150)) << s.id;
        EXPECT_FALSE(seen[s.id]) << "served twice: " << s.id;
        seen[s.id] = true;
        const std::string expected = s.id % 3 == 0 ? "local " + std::to_string(s.id) : std::string(20000, 'r');
        if (s.had_data) {
            EXPECT_EQ(s.bytes, expected) << s.id;
        }
    }
}

TEST_F(DownloadQueue, StopWhileTheHookSendsToAWindowOfTheStoppingThreadCompletes)
{
    // A message-only window of this (the stopping) thread that counts what it receives.
    static LONG received;
    received = 0;  // the class outlives one run of the test when tests repeat
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
        if (message == WM_APP) return InterlockedIncrement(&received);
        return DefWindowProcW(hwnd, message, wparam, lparam);
    };
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"DownloadQueueStopTarget";
    RegisterClassW(&window_class);
    HWND target = CreateWindowW(L"DownloadQueueStopTarget", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    KernelHandle hook_entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    LRESULT answer = 0;
    worker.hook = [&](const DownloadRequest&) {
        SetEvent(hook_entered.get());
        answer = SendMessageW(target, WM_APP, 0, 0);  // blocks until this thread's stop() serves it
    };
    worker.start();
    worker.request(1, local_file(1));
    ASSERT_EQ(WaitForSingleObject(hook_entered.get(), kWaitMs), WAIT_OBJECT_0);
    worker.stop();
    EXPECT_FALSE(worker.running());
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(worker.served_ids(), std::vector<int>{1});
    DestroyWindow(target);
}
