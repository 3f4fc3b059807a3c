#pragma once
#include <windows.h>

// Sole owner of a global-memory block (GlobalAlloc); release() hands it on.
class GlobalBlock {
public:
    GlobalBlock() = default;
    explicit GlobalBlock(HGLOBAL block) noexcept : block_(block) {}
    GlobalBlock(UINT flags, SIZE_T size) noexcept : block_(GlobalAlloc(flags, size)) {}
    GlobalBlock(GlobalBlock&& other) noexcept : block_(other.release()) {}
    GlobalBlock& operator=(GlobalBlock&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    ~GlobalBlock() { reset(); }

    HGLOBAL get() const noexcept { return block_; }
    explicit operator bool() const noexcept { return block_ != nullptr; }
    HGLOBAL release() noexcept
    {
        HGLOBAL block = block_;
        block_ = nullptr;
        return block;
    }
    void reset(HGLOBAL block = nullptr) noexcept
    {
        if (block_) GlobalFree(block_);
        block_ = block;
    }

    // Keeps the block locked for its lifetime; data() is null when locking failed.
    class Lock {
    public:
        explicit Lock(const GlobalBlock& block) noexcept
            : block_(block.get()), data_(block_ ? static_cast<char*>(GlobalLock(block_)) : nullptr) {}
        ~Lock()
        {
            if (data_) GlobalUnlock(block_);
        }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        char* data() const noexcept { return data_; }

    private:
        HGLOBAL block_;
        char* data_;
    };

private:
    HGLOBAL block_ = nullptr;
};
