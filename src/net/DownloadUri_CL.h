#pragma once
#include <list>
#include <memory>
#include <string>

#include <windows.h>

#include "base/BusyScope.h"
#include "base/GlobalBlock.h"
#include "net/InetHttp_CL.h"
#include "base/Semapho_CL.h"
#include "base/ThreadBase_CL.h"

// One picture to fetch: an http(s) address or a local path. The id is the
// requester's (a list index, a counter); one id is queued at most once. A
// requester may derive its own record to carry what the answer needs.
struct DownloadRequest {
    virtual ~DownloadRequest() = default;
    int id = 0;
    std::wstring uri;
    // The requester's busy period: it lasts as long as the request, however
    // the request ends (answered, replaced, dropped from a full queue, cancelled).
    BusyScope busy;
    // HTTP status of the answer; 0 when none arrived or the picture is a file.
    DWORD status = 0;

    // Runs on the worker just before the transfer and may settle uri first.
    // Whatever it fetches itself it announces, so that a cancel aborts it.
    virtual void prepare(const InetHttp_CL::Announce& announce) { (void)announce; }
};

// The worker that downloads pictures one at a time, newest request first, and
// hands each result to on_downloaded(). At most 10 requests wait; older ones
// are forgotten, so the worker stays on what the user looks at now.
class DownloadUri_CL : public ThreadBase_CL {
public:
    static constexpr size_t kMaxQueued = 10;

    DownloadUri_CL();
    ~DownloadUri_CL() override;

    int on_thread_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    // Also wakes the worker for requests queued while it did not run.
    void start() override;

    void request_download(std::unique_ptr<DownloadRequest> request);
    // Queued requests, not counting the one being served.
    size_t queue_length();
    // Aborts the transfer under way (its request still reaches on_downloaded,
    // with null data, unless stopping) and drops every queued request.
    void cancel_downloads();

    // Runs on the worker thread once per served request, without the queue
    // lock, never after stop_requested was set. The hook owns `request` and
    // `data` (a movable block, empty when nothing could be read): it keeps
    // the block by moving it on; otherwise the block frees itself.
    virtual void on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock data);
    // Runs on the worker thread as each transfer ends, before on_downloaded(),
    // while a new request of the same id would still be dropped as being served.
    virtual void on_transfer_over(const DownloadRequest& request);

private:
    void serve_queue();
    // Makes the front request the current one; null when the queue is empty.
    DownloadRequest* take_next();
    void announce(InetHttp_CL* transfer);

    InetHttp_CL* in_flight_ = nullptr;  // the transfer under way; guarded by the queue lock
    bool abort_pending_ = false;        // the current request was cancelled: its later transfers end at once
    Semapho_CL queue_lock_;             // guards the queue, current_request_ and the two above
    std::list<std::unique_ptr<DownloadRequest>> queue_;  // front = newest
    std::unique_ptr<DownloadRequest> current_request_;
};
