#include "net/InetHttp_CL.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <new>

#include <process.h>

#include "base/TextConvert.h"
#include "base/ThreadName.h"
#include "base/Version.h"
#include "store/ServiceConfig.h"

namespace {

// Names the program, its version and where to reach its makers, on every
// request: Wikimedia answers a generic agent with 403.
const std::wstring& user_agent()
{
    static const std::wstring agent =
        std::wstring(L"Tapestrel/") + widen_bytes(TAPESTREL_VERSION_TEXT) + L" (+" + service_config::kBuiltInSupportUrl + L")";
    return agent;
}

// A body served from the WinINet cache could be stale (the update check) and
// pictures would fill the cache for nothing.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

bool is_secure(const std::wstring& url)
{
    return _wcsnicmp(url.c_str(), L"https://", 8) == 0;
}

// Digits only; anything else is treated as an absent header.
LONG parse_length(const wchar_t* text)
{
    if (*text == L'\0') return -1;
    long long value = 0;
    for (const wchar_t* p = text; *p; ++p) {
        if (*p < L'0' || *p > L'9') return -1;
        if (value <= LONG_MAX) value = value * 10 + (*p - L'0');
    }
    return value > LONG_MAX ? LONG_MAX : static_cast<LONG>(value);
}

void close_handle(std::atomic<HINTERNET>& slot)
{
    // The exchange makes sure that of two threads closing, only one does.
    HINTERNET handle = slot.exchange(nullptr);
    if (handle) InternetCloseHandle(handle);
}

// Shared with readers only, so a file being written elsewhere is not read half
// done, while a thumbnail being drawn from the same file does not fail the read.
HGLOBAL read_local_file(const std::wstring& path)
{
    KernelHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > InetHttp_CL::kMaxBody) {
        return nullptr;
    }
    const DWORD length = static_cast<DWORD>(size.QuadPart);
    GlobalBlock block(GMEM_MOVEABLE, length);
    DWORD got = 0;
    {
        GlobalBlock::Lock lock(block);
        if (!lock.data() || !ReadFile(file.get(), lock.data(), length, &got, nullptr)) got = 0;
    }
    return got == length ? block.release() : nullptr;
}

}  // namespace

InetHttp_CL::UrlParts InetHttp_CL::split_for_fetch(const std::wstring& url)
{
    UrlParts parts;
    parts.secure = is_secure(url);
    size_t i = 0;
    for (; i < url.size(); ++i) {
        const wchar_t c = url[i];
        if (c == L':') {
            parts.host.clear();
            i += 2;
        } else if (c == L'/') {
            ++i;
            break;
        } else {
            parts.host.push_back(c);
        }
    }
    if (i < url.size()) parts.path = url.substr(i);
    return parts;
}

InetHttp_CL::UrlParts InetHttp_CL::split_for_download(const std::wstring& url)
{
    UrlParts parts;
    parts.secure = is_secure(url);
    const size_t slashes = url.find(L"//");
    if (slashes == std::wstring::npos) {
        parts.host = parts.path = url;
        return parts;
    }
    const size_t host_start = slashes + 2;
    const size_t slash = url.find(L'/', host_start);
    if (slash == std::wstring::npos) {
        parts.host = url.substr(host_start);
    } else {
        parts.host = url.substr(host_start, slash - host_start);
        parts.path = url.substr(slash + 1);
    }
    return parts;
}

InetHttp_CL::InetHttp_CL()
    : abort_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), done_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

InetHttp_CL::~InetHttp_CL()
{
    close_handles();
}

// Stores a fresh handle; an abort that came before it was stored still ends the transfer.
bool InetHttp_CL::keep(std::atomic<HINTERNET>& slot, HINTERNET handle)
{
    close_handle(slot);
    slot.store(handle);
    if (aborted_.load()) {
        close_handles();
        return false;
    }
    return handle != nullptr;
}

void InetHttp_CL::close_handles()
{
    close_handle(request_handle_);
    close_handle(connect_handle_);
    close_handle(internet_handle_);
}

bool InetHttp_CL::open_internet()
{
    return keep(internet_handle_, InternetOpenW(user_agent().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
}

HINTERNET InetHttp_CL::connect_host(const std::wstring& host, bool secure)
{
    secure_ = secure;
    const INTERNET_PORT port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    HINTERNET handle = InternetConnectW(internet_handle_.load(), host.c_str(), port, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, 0);
    return keep(connect_handle_, handle) ? handle : nullptr;
}

bool InetHttp_CL::send_get_request(const std::wstring& path)
{
    const DWORD flags = kRequestFlags | (secure_ ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request = HttpOpenRequestW(connect_handle_.load(), L"GET", path.c_str(), nullptr, nullptr, nullptr, flags, 0);
    if (!keep(request_handle_, request)) return false;
    DWORD timeout = kSilenceTimeoutMs;
    InternetSetOptionW(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
    InternetSetOptionW(request, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof(timeout));
    if (!HttpSendRequestW(request, nullptr, 0, nullptr, 0)) return false;
    content_length_ = query_content_length();
    status_code_ = query_status_code();
    return true;
}

DWORD InetHttp_CL::query_status_code() const
{
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(request_handle_.load(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return 0;
    return status;
}

bool InetHttp_CL::failed_step()
{
    last_error_ = aborted_.load() ? ERROR_INTERNET_OPERATION_CANCELLED : GetLastError();
    return false;
}

LONG InetHttp_CL::query_content_length() const
{
    wchar_t text[128];
    text[0] = L'\0';
    DWORD size = sizeof(text);
    if (!HttpQueryInfoW(request_handle_.load(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return -1;
    return parse_length(text);
}

// Until `length` bytes have arrived; one call may return fewer.
bool InetHttp_CL::read_exact(char* target, DWORD length)
{
    DWORD total = 0;
    while (total < length) {
        if (aborted_.load()) return false;
        DWORD got = 0;
        if (!InternetReadFile(request_handle_.load(), target + total, length - total, &got) || got == 0) return false;
        total += got;
    }
    return true;
}

bool InetHttp_CL::read_to_end(std::string& bytes)
{
    try {
        for (;;) {
            const size_t old_size = bytes.size();
            if (old_size > kMaxBody || aborted_.load()) return false;
            bytes.resize(old_size + kReadChunk);
            DWORD got = 0;
            const bool ok = InternetReadFile(request_handle_.load(), &bytes[old_size], kReadChunk, &got) != FALSE;
            bytes.resize(old_size + got);
            if (!ok) return false;
            if (got == 0) return true;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// A new block with the body's bytes followed by `terminator` zero bytes; empty on failure.
GlobalBlock InetHttp_CL::read_body(LONG length, UINT flags, SIZE_T terminator, DWORD& size)
{
    size = 0;
    if (length < 0) {
        std::string bytes;
        if (!read_to_end(bytes) || bytes.size() > kMaxBody) return GlobalBlock();
        GlobalBlock block(flags | GMEM_ZEROINIT, bytes.size() + terminator);
        GlobalBlock::Lock lock(block);
        if (!lock.data()) return GlobalBlock();
        bytes.copy(lock.data(), bytes.size());
        size = static_cast<DWORD>(bytes.size());
        return block;
    }
    if (static_cast<DWORD>(length) > kMaxBody) return GlobalBlock();
    GlobalBlock block(flags | GMEM_ZEROINIT, length + terminator);
    {
        GlobalBlock::Lock lock(block);
        if (!lock.data() || !read_exact(lock.data(), length)) return GlobalBlock();
    }
    size = static_cast<DWORD>(length);
    return block;
}

DWORD InetHttp_CL::read_response_fixed(LONG length)
{
    fixed_body_.reset();
    fixed_body_ = read_body(length, GMEM_FIXED, 1, fixed_length_);
    if (!fixed_body_) fixed_length_ = 0;
    return fixed_length_;
}

const char* InetHttp_CL::body() const
{
    return fixed_body_ ? static_cast<const char*>(fixed_body_.get()) : "";
}

void InetHttp_CL::keep_body(const std::string& bytes)
{
    fixed_body_ = GlobalBlock(GMEM_FIXED, bytes.size() + 1);
    fixed_length_ = 0;
    if (!fixed_body_) return;
    char* data = static_cast<char*>(fixed_body_.get());
    memcpy(data, bytes.data(), bytes.size());
    data[bytes.size()] = '\0';
    fixed_length_ = static_cast<DWORD>(bytes.size());
}

DWORD InetHttp_CL::read_response_movable(LONG length)
{
    movable_body_.reset();
    DWORD size = 0;
    GlobalBlock block = read_body(length, GMEM_MOVEABLE, 0, size);
    // An empty body gives no block: a moveable block of size 0 cannot be locked.
    if (size > 0) movable_body_ = std::move(block);
    return size;
}

bool InetHttp_CL::open_url(const std::wstring& url)
{
    // Without "//" there is no host to ask.
    if (url.find(L"//") == std::wstring::npos) return false;
    const UrlParts parts = split_for_download(url);
    return connect_host(parts.host, parts.secure) && send_get_request(parts.path);
}

void InetHttp_CL::abort_transfer()
{
    aborted_.store(true);
    if (abort_event_) SetEvent(abort_event_.get());
    if (!closed_by_owner_only_) close_handles();
    std::shared_ptr<InetHttp_CL> detached;
    {
        std::lock_guard<std::mutex> lock(detached_lock_);
        detached = detached_;
    }
    if (detached) detached->abort_transfer();
}

namespace {

// What a helper thread runs: the steps on the transfer, which it shares with the caller.
struct HelperWork {
    std::shared_ptr<InetHttp_CL> transfer;
    std::function<void(InetHttp_CL&)> steps;
};

}  // namespace

unsigned __stdcall InetHttp_CL::helper_proc(void* argument)
{
    std::unique_ptr<HelperWork> work(static_cast<HelperWork*>(argument));
    name_thread(GetCurrentThread(), L"InetHttp_CL transfer");
    work->steps(*work->transfer);
    work->transfer->close_handles();
    SetEvent(work->transfer->done_event_.get());
    return 0;
}

// A plain Windows thread whose handle is let go at once: std::thread's detached
// threads of the MinGW runtime crash now and then when many come and go.
bool InetHttp_CL::start_helper(const std::shared_ptr<InetHttp_CL>& transfer, const Steps& steps)
{
    std::unique_ptr<HelperWork> work(new (std::nothrow) HelperWork);
    if (!work) return false;
    try {
        work->transfer = transfer;
        work->steps = steps;
    } catch (const std::bad_alloc&) {
        return false;
    }
    KernelHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &InetHttp_CL::helper_proc, work.get(), 0, nullptr)));
    if (!thread) return false;
    work.release();  // the thread owns it now
    return true;
}

std::shared_ptr<InetHttp_CL> InetHttp_CL::run_detached(const Steps& steps)
{
    auto transfer = std::make_shared<InetHttp_CL>();
    if (!transfer->done_event_ || !abort_event_) return nullptr;
    transfer->closed_by_owner_only_ = true;
    {
        // Under the lock, so that an abort either finds the transfer or is seen here.
        std::lock_guard<std::mutex> lock(detached_lock_);
        if (aborted_.load()) return nullptr;
        detached_ = transfer;
    }
    const HANDLE waits[2] = {transfer->done_event_.get(), abort_event_.get()};
    const bool done = start_helper(transfer, steps) && WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0;
    std::lock_guard<std::mutex> lock(detached_lock_);
    detached_.reset();
    return done ? transfer : nullptr;
}

HRESULT InetHttp_CL::fetch(const std::string& url)
{
    const UrlParts parts = split_for_fetch(widen_bytes(url));
    aborted_.store(false);
    if (abort_event_) ResetEvent(abort_event_.get());
    close_handles();
    fixed_body_.reset();
    fixed_length_ = 0;
    content_length_ = -1;
    last_error_ = 0;
    status_code_ = 0;
    std::shared_ptr<InetHttp_CL> done = run_detached([parts](InetHttp_CL& transfer) {
        // failed_step() keeps the reason; the outcome is read from the body below.
        if (!transfer.open_internet() || !transfer.connect_host(parts.host, parts.secure) ||
            !transfer.send_get_request(parts.path)) {
            (void)transfer.failed_step();
        } else if (transfer.read_response_fixed(transfer.content_length_) == 0 && transfer.content_length_ != 0) {
            (void)transfer.failed_step();
        }
    });
    if (!done) {
        last_error_ = ERROR_INTERNET_OPERATION_CANCELLED;
        return E_FAIL;
    }
    content_length_ = done->content_length_;
    last_error_ = done->last_error_;
    status_code_ = done->status_code_;
    fixed_body_ = std::move(done->fixed_body_);
    fixed_length_ = done->fixed_length_;
    return fixed_length_ == 0 ? E_FAIL : S_OK;
}

bool InetHttp_CL::is_local_path(const std::wstring& uri)
{
    return uri.size() >= 2 && (uri[0] == L'\\' || uri[1] == L':');
}

HGLOBAL InetHttp_CL::download_to_movable(const std::wstring& uri, const Announce& announce, DWORD* status)
{
    if (status) *status = 0;
    if (is_local_path(uri)) return read_local_file(uri);
    InetHttp_CL transfer;
    if (announce) announce(&transfer);
    std::shared_ptr<InetHttp_CL> done = transfer.run_detached([uri](InetHttp_CL& detached) {
        // The count is not needed: the block read, or none, is taken below.
        if (detached.open_internet() && detached.open_url(uri)) (void)detached.read_response_movable(detached.content_length_);
    });
    // Withdrawn before `transfer` goes away, so an abort never reaches a destroyed object.
    if (announce) announce(nullptr);
    if (done && status) *status = done->status_code_;
    // The caller owns the block from here on.
    return done ? done->take_movable_body() : nullptr;
}
