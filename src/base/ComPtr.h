#pragma once
#include <windows.h>
#include <objbase.h>

// Sole owner of one reference to a COM interface.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(ComPtr&& other) noexcept : ptr_(other.ptr_) { other.ptr_ = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            ptr_ = other.ptr_;
            other.ptr_ = nullptr;
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }
    void reset() noexcept {
        if (ptr_) ptr_->Release();
        ptr_ = nullptr;
    }
    // Releases what is held and lends the slot to a function that fills it.
    T** receive() noexcept {
        reset();
        return &ptr_;
    }
    void** receive_void() noexcept { return reinterpret_cast<void**>(receive()); }

private:
    T* ptr_ = nullptr;
};
