#include "base/ThreadName.h"

namespace {

using SetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);

SetThreadDescriptionFn set_thread_description()
{
    // Looked up at run time: the import would keep the program from starting where it is missing.
    static const SetThreadDescriptionFn function = reinterpret_cast<SetThreadDescriptionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    return function;
}

}  // namespace

void name_thread(HANDLE thread, const wchar_t* name)
{
    if (SetThreadDescriptionFn function = set_thread_description()) function(thread, name);
}
