#pragma once
#include <windows.h>

// Sole owner of a kernel object handle (file, event, thread, mutex...).
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE h) noexcept : handle_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    KernelHandle(KernelHandle&& other) noexcept : handle_(other.release()) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    ~KernelHandle() { reset(); }

    HANDLE get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    HANDLE release() noexcept {
        HANDLE h = handle_;
        handle_ = nullptr;
        return h;
    }
    void reset(HANDLE h = nullptr) noexcept {
        if (handle_) CloseHandle(handle_);
        handle_ = (h == INVALID_HANDLE_VALUE) ? nullptr : h;
    }

private:
    HANDLE handle_ = nullptr;
};
