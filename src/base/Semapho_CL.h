#pragma once
#include <windows.h>

#include "base/KernelHandle.h"

// A binary lock on an unnamed semaphore. Waits are bounded, so that a lock
// that is never given back cannot hang a window for good.
class Semapho_CL {
public:
    static constexpr DWORD kWaitMs = 16000;

    Semapho_CL();
    Semapho_CL(const Semapho_CL&) = delete;
    Semapho_CL& operator=(const Semapho_CL&) = delete;
    virtual ~Semapho_CL() = default;

    // False when the wait timed out (or the semaphore could not be made).
    [[nodiscard]] bool wait();
    void release();

    // Holds the semaphore for its lifetime. After a timed-out wait it holds
    // nothing: the holder checks held() and leaves the guarded state alone.
    class Lock_CL {
    public:
        explicit Lock_CL(Semapho_CL& semaphore) : semaphore_(semaphore), held_(semaphore.wait()) {}
        Lock_CL(const Lock_CL&) = delete;
        Lock_CL& operator=(const Lock_CL&) = delete;
        virtual ~Lock_CL()
        {
            if (held_) semaphore_.release();
        }
        [[nodiscard]] bool held() const { return held_; }

    private:
        Semapho_CL& semaphore_;
        bool held_;
    };

private:
    KernelHandle handle_;
};
