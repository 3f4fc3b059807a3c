#include "UiTestSupport.h"

#include <commctrl.h>

#include "base/GdiplusInclude.h"
#include "winui/DpiScale.h"
#include "winui/Tab_CL.h"

namespace ui_testing {

namespace {

constexpr const wchar_t* kHostClass = L"TapestrelTestHost";

// The common controls a window of the program may create, as the program's start-up registers them.
struct CommonControls {
    CommonControls()
    {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_WIN95_CLASSES | ICC_USEREX_CLASSES | ICC_TAB_CLASSES;
        InitCommonControlsEx(&controls);
    }
} const common_controls;

// Painting code draws through GDI+, which the program starts at start-up.
struct GdiplusSession {
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    ULONG_PTR token = 0;
} const gdiplus_session;

}  // namespace

HostWindow::HostWindow(int width, int height, bool visible)
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = &HostWindow::procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = kHostClass;
    RegisterClassExW(&window_class);
    hwnd_ = CreateWindowExW(0, kHostClass, L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0), 100, 80, width,
                            height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

HostWindow::~HostWindow()
{
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    pump_messages();
}

LRESULT CALLBACK HostWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    auto* host = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (host && host->hook_ && host->hook_(window, message, wparam, lparam, &result)) return result;
    return DefWindowProcW(window, message, wparam, lparam);
}

RECT rect_in_parent(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring clipped_text(HWND control)
{
    wchar_t name[32] = {};
    GetClassNameW(control, name, 32);
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    const LONG_PTR kind = style & BS_TYPEMASK;
    const bool button = lstrcmpiW(name, L"Button") == 0;
    // A group box's caption sits on its frame, an edit field scrolls.
    if ((button && kind == BS_GROUPBOX) || (lstrcmpiW(name, L"Static") != 0 && !button)) return std::wstring();
    const int length = GetWindowTextLengthW(control);
    if (length <= 0 || (button && (style & (BS_ICON | BS_BITMAP)))) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, &text[0], length + 1)));
    RECT extent{};
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent, DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT client{};
    GetClientRect(control, &client);
    const bool check = button && (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX);
    // The box of a check box and its gap: 16 pixels at 96 DPI.
    const int box = check ? DpiScale::of(control)(16) : 0;
    if (extent.right + box <= client.right && extent.bottom <= client.bottom) return std::wstring();
    return text + L" (" + std::to_wstring(extent.right + box) + L" x " + std::to_wstring(extent.bottom) + L" in " +
           std::to_wstring(client.right) + L" x " + std::to_wstring(client.bottom) + L")";
}

bool pump_messages(int* quit_code)
{
    bool quit = false;
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            if (quit_code) *quit_code = static_cast<int>(msg.wParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return quit;
}

bool pump_until(const std::function<bool()>& condition, DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeout_ms) return false;
        pump_messages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

bool save_screenshot(HWND window, const std::wstring& path)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    bool saved = false;
    {
        Gdiplus::Bitmap picture(bitmap, nullptr);
        // The PNG encoder of GDI+.
        const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
        saved = picture.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

ImageItem_CL local_record(const std::wstring& path, const std::wstring& title)
{
    ImageItem_CL item;
    item.key = path;
    item.localPath = path;
    item.localWidth = 320;
    item.localHeight = 240;
    item.farm = -1;
    item.license = -1;
    item.title = title;
    item.dateTaken = L"2011-03-05 10:20:30";
    return item;
}

std::wstring tab_text(HWND strip, int index)
{
    return Tab_CL::tab_text(strip, index);
}

}  // namespace ui_testing
