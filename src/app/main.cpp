#include <new>

#include <windows.h>

#include "app/Application.h"
#include "base/Trace.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // The last barrier: whatever escaped every handler ends the process with a trace.
    try {
        return app::run(instance, GetCommandLineW());
    } catch (const std::bad_alloc&) {
        trace::failure(L"process ended: out of memory");
    } catch (...) {
        trace::failure(L"process ended by an unexpected exception");
    }
    return -1;
}
