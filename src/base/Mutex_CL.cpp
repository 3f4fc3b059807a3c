#include "base/Mutex_CL.h"

bool Mutex_CL::create(const std::wstring& name)
{
    handle_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    return static_cast<bool>(handle_);
}

bool Mutex_CL::wait()
{
    if (!handle_) return false;
    const DWORD result = WaitForSingleObject(handle_.get(), INFINITE);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void Mutex_CL::release()
{
    ReleaseMutex(handle_.get());
}
