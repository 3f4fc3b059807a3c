#include "base/Semapho_CL.h"

Semapho_CL::Semapho_CL() : handle_(CreateSemaphoreW(nullptr, 1, 1, nullptr)) {}

bool Semapho_CL::wait()
{
    return handle_ && WaitForSingleObject(handle_.get(), kWaitMs) == WAIT_OBJECT_0;
}

void Semapho_CL::release()
{
    ReleaseSemaphore(handle_.get(), 1, nullptr);
}
