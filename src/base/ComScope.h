#pragma once
#include <objbase.h>

// COM for the life of a thread (single-threaded apartment). Uninitialises only
// what it initialised: a thread whose COM was set up otherwise keeps it.
class ComScope {
public:
    ComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope()
    {
        if (initialised_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

    bool initialised() const { return initialised_; }

private:
    bool initialised_;
};
