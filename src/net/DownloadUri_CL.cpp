#include "net/DownloadUri_CL.h"

#include <algorithm>

#include "base/Trace.h"

DownloadUri_CL::DownloadUri_CL()
{
    set_thread_name(L"DownloadUri_CL");
}

DownloadUri_CL::~DownloadUri_CL()
{
    stop_requested = true;
    cancel_downloads();
    stop();
}

void DownloadUri_CL::start()
{
    ThreadBase_CL::start();
    if (queue_length() > 0) wake();
}

void DownloadUri_CL::request_download(std::unique_ptr<DownloadRequest> request)
{
    if (!request) return;
    Semapho_CL::Lock_CL lock(queue_lock_);
    if (!lock.held()) {
        trace::failure(L"download request dropped: its queue stayed locked");
        return;
    }
    // Already being fetched: the new request is dropped.
    if (current_request_ && current_request_->id == request->id) return;
    const bool was_empty = queue_.empty();
    const auto same_id = std::find_if(queue_.begin(), queue_.end(),
                                      [&](const std::unique_ptr<DownloadRequest>& queued) { return queued->id == request->id; });
    if (same_id != queue_.end()) queue_.erase(same_id);
    while (queue_.size() >= kMaxQueued) queue_.pop_back();
    queue_.push_front(std::move(request));  // the queue owns it now
    // A busy worker picks the request up in its running loop.
    if (was_empty) wake();
}

size_t DownloadUri_CL::queue_length()
{
    Semapho_CL::Lock_CL lock(queue_lock_);
    return lock.held() ? queue_.size() : 0;
}

void DownloadUri_CL::cancel_downloads()
{
    Semapho_CL::Lock_CL lock(queue_lock_);
    if (!lock.held()) {
        trace::failure(L"downloads not cancelled: their queue stayed locked");
        return;
    }
    if (in_flight_) in_flight_->abort_transfer();
    if (current_request_) abort_pending_ = true;
    queue_.clear();
}

void DownloadUri_CL::on_transfer_over(const DownloadRequest&) {}

void DownloadUri_CL::on_downloaded(std::unique_ptr<DownloadRequest>, GlobalBlock) {}

int DownloadUri_CL::on_thread_message(UINT message, WPARAM, LPARAM)
{
    if (message == kWorkMessage) serve_queue();
    return 0;
}

DownloadRequest* DownloadUri_CL::take_next()
{
    Semapho_CL::Lock_CL lock(queue_lock_);
    if (!lock.held() || queue_.empty()) return nullptr;
    current_request_ = std::move(queue_.front());
    queue_.pop_front();
    abort_pending_ = false;
    // Only this worker moves the current request, so it may be used unlocked.
    return current_request_.get();
}

// Called with the transfer when it begins and with null before it is destroyed.
void DownloadUri_CL::announce(InetHttp_CL* transfer)
{
    Semapho_CL::Lock_CL lock(queue_lock_);
    // A transfer that cannot be announced is still cleared before it ends.
    if (!lock.held() && transfer) return;
    in_flight_ = transfer;
    if (transfer && abort_pending_) transfer->abort_transfer();
}

void DownloadUri_CL::serve_queue()
{
    const InetHttp_CL::Announce announcer = [this](InetHttp_CL* transfer) { announce(transfer); };
    DownloadRequest* current = nullptr;
    while (!stop_requested && (current = take_next()) != nullptr) {
        current->prepare(announcer);
        GlobalBlock data(InetHttp_CL::download_to_movable(current->uri, announcer, &current->status));
        // While it is still the current request, so a requester that asks again
        // meanwhile is never told it is neither being served nor done.
        on_transfer_over(*current);
        std::unique_ptr<DownloadRequest> request;
        {
            Semapho_CL::Lock_CL lock(queue_lock_);
            request = std::move(current_request_);
        }
        if (stop_requested) return;
        // From here on the hook owns both the request and the block.
        on_downloaded(std::move(request), std::move(data));
    }
}
