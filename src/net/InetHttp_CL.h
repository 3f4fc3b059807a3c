#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <windows.h>
#include <wininet.h>

#include "base/GlobalBlock.h"
#include "base/KernelHandle.h"

// One HTTP GET at a time through WinINet, the body kept in global memory.
// "https://" addresses go to port 443 over TLS (certificate errors fail the
// transfer); everything else to port 80. The status code decides nothing here:
// whatever body the server sends is the result, the status reported beside it.
//
// Used by one thread at a time, except abort_transfer(), which another thread
// may call at any moment. fetch() and download_to_movable() run the transfer on
// a helper thread and return as soon as it is aborted: closing WinINet handles
// does not end a blocked read everywhere (Wine), and an abort must not wait for
// a server that has stopped sending. The abandoned helper cleans up after itself.
class InetHttp_CL {
public:
    // No transfer may exhaust memory: a longer body fails.
    static constexpr DWORD kMaxBody = 256u * 1024u * 1024u;
    // Step of the read when the length is not announced.
    static constexpr DWORD kReadChunk = 0x100000;
    // A server that goes silent ends the transfer after this long instead of
    // holding it (and the worker waiting on it) for ever; Wine sets no limit.
    static constexpr DWORD kSilenceTimeoutMs = 30000;

    struct UrlParts {
        std::wstring host;
        std::wstring path;  // without its leading slash
        bool secure = false;
    };
    // Split used by fetch(): a ':' before the host restarts it and skips "//".
    static UrlParts split_for_fetch(const std::wstring& url);
    // Split used by open_url(): the host lies between "//" and the next '/'.
    static UrlParts split_for_download(const std::wstring& url);

    InetHttp_CL();
    InetHttp_CL(const InetHttp_CL&) = delete;
    InetHttp_CL& operator=(const InetHttp_CL&) = delete;
    virtual ~InetHttp_CL();

    // Ends the transfer under way; any thread.
    void abort_transfer();

    // GET of a narrow URL into fixed_body; E_FAIL when nothing arrived. An
    // abort ends the fetch under way; one that comes before fetch() begins does
    // not carry over to it.
    [[nodiscard]] HRESULT fetch(const std::string& url);

    // Told of the transfer under way (and of null when it is over), so that
    // another thread can abort it while it lasts.
    using Announce = std::function<void(InetHttp_CL*)>;
    // "\..." or "X:...": a file on disk rather than an address.
    static bool is_local_path(const std::wstring& uri);
    // A local path is read from disk, anything else fetched over HTTP. The
    // caller owns the returned movable block; null when nothing could be read.
    // status, when given, receives the answer's HTTP status (0 for none).
    [[nodiscard]] static HGLOBAL download_to_movable(const std::wstring& uri, const Announce& announce = Announce(),
                                                     DWORD* status = nullptr);

    // The body of the last fetch(); "" when there is none.
    const char* body() const;
    // Holds these bytes as the last body, as fetch() would: for
    // an answer that arrived another way, and to parse made-up answers.
    void keep_body(const std::string& bytes);
    // The bytes of body(), not counting its terminating NUL.
    DWORD body_length() const { return fixed_length_; }
    // Content-Length of the last response; -1 when it was absent or unreadable,
    // or no response arrived.
    LONG content_length() const { return content_length_; }
    // Why the last fetch() failed: the WinINet or system error of the step
    // that failed, 0 when every step succeeded (an empty body, for instance).
    DWORD last_error() const { return last_error_; }
    // HTTP status of the last response; 0 when none arrived.
    DWORD status_code() const { return status_code_; }

private:
    // The steps of a transfer, on the object's own handles, run by fetch() and
    // download_to_movable() on their helper thread.
    [[nodiscard]] bool open_internet();
    [[nodiscard]] HINTERNET connect_host(const std::wstring& host, bool secure = false);
    [[nodiscard]] bool send_get_request(const std::wstring& path);
    // Reads the body into fixed_body (always NUL-terminated); length -1 reads to
    // the end. The number of bytes, 0 when the read failed or the body ended
    // short of its length.
    [[nodiscard]] DWORD read_response_fixed(LONG length);
    [[nodiscard]] bool open_url(const std::wstring& url);
    // Reads the body into movable_body, exactly its bytes; 0 and no block on failure.
    [[nodiscard]] DWORD read_response_movable(LONG length);

    // The caller takes over the block read by read_response_movable().
    [[nodiscard]] HGLOBAL take_movable_body() { return movable_body_.release(); }

    using Steps = std::function<void(InetHttp_CL&)>;
    // The object that ran `steps` on a helper thread; null when aborted first.
    [[nodiscard]] std::shared_ptr<InetHttp_CL> run_detached(const Steps& steps);
    [[nodiscard]] static bool start_helper(const std::shared_ptr<InetHttp_CL>& transfer, const Steps& steps);
    static unsigned __stdcall helper_proc(void* argument);
    [[nodiscard]] bool keep(std::atomic<HINTERNET>& slot, HINTERNET handle);
    void close_handles();
    LONG query_content_length() const;
    DWORD query_status_code() const;
    // Keeps the calling thread's last error as the reason of a failed step.
    [[nodiscard]] bool failed_step();
    [[nodiscard]] GlobalBlock read_body(LONG length, UINT flags, SIZE_T terminator, DWORD& size);
    [[nodiscard]] bool read_exact(char* target, DWORD length);
    [[nodiscard]] bool read_to_end(std::string& bytes);

    std::atomic<HINTERNET> internet_handle_{nullptr};
    std::atomic<HINTERNET> connect_handle_{nullptr};
    std::atomic<HINTERNET> request_handle_{nullptr};
    std::atomic<bool> aborted_{false};
    // A transfer on a helper thread closes its own handles: WinINet handles
    // closed by another thread while a call is using them are not safe
    // everywhere (Wine), so an abort only asks it to stop at its next step.
    bool closed_by_owner_only_ = false;
    KernelHandle abort_event_;  // set by abort_transfer()
    KernelHandle done_event_;   // set when this object's detached steps are over
    std::mutex detached_lock_;
    std::shared_ptr<InetHttp_CL> detached_;  // the transfer running on a helper thread
    bool secure_ = false;
    GlobalBlock movable_body_;
    GlobalBlock fixed_body_;
    DWORD fixed_length_ = 0;
    LONG content_length_ = -1;
    DWORD last_error_ = 0;
    DWORD status_code_ = 0;
};
