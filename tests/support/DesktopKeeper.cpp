// Keeps a test session's Wine desktop open from start to end. Wine closes a
// desktop a moment after the last program on it has ended; the next test
// program would then start a new desktop process, which inherits that
// program's output pipe, and ctest would wait on the pipe until its time limit
// (and the limit's kill leaves a desktop on which no window can be made).
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Asking for the desktop window joins this process to the desktop, starting it when needed.
    if (!GetDesktopWindow()) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
