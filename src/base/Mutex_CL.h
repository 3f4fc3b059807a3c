#pragma once
#include <string>

#include "base/KernelHandle.h"

// A named system mutex; the process-wide one guards every item-list file.
class Mutex_CL {
public:
    Mutex_CL() = default;
    Mutex_CL(const Mutex_CL&) = delete;
    Mutex_CL& operator=(const Mutex_CL&) = delete;
    virtual ~Mutex_CL() = default;

    // Creates or opens the named mutex, not initially owned.
    [[nodiscard]] bool create(const std::wstring& name);
    // Waits without time-out. A mutex abandoned by a process that died counts as
    // taken: list files are replaced in one step, so what it left is whole.
    [[nodiscard]] bool wait();
    // Ownership belongs to the waiting thread, so only that thread releases.
    void release();

    // Holds the mutex for its lifetime. Without the mutex (it could not be
    // created) it holds nothing: writers check held() and change nothing.
    class Lock_CL {
    public:
        explicit Lock_CL(Mutex_CL& mutex) : mutex_(mutex), held_(mutex.wait()) {}
        ~Lock_CL() { if (held_) mutex_.release(); }
        Lock_CL(const Lock_CL&) = delete;
        Lock_CL& operator=(const Lock_CL&) = delete;
        [[nodiscard]] bool held() const { return held_; }

    private:
        Mutex_CL& mutex_;
        bool held_;
    };

private:
    KernelHandle handle_;
};
