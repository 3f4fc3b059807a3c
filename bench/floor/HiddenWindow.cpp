// The floor of the tray footprint figure: one hidden window and a message loop,
// nothing else. It ends when its window is closed. Built with FLOOR_DECODES,
// it first decodes the JPEG named on its command line with GDI+ and saves it
// as a bitmap beside it, as a wallpaper change does, so that the decoder's own
// cost can be told apart; the plain floor links no GDI+ at all.
#include <windows.h>

#ifdef FLOOR_DECODES
#include <string>

#include "base/GdiplusInclude.h"
#include "imaging/ImageEncoder.h"
#endif

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wparam, lparam);
}

#ifdef FLOOR_DECODES
bool decode_and_save(const std::wstring& jpeg_path)
{
    Gdiplus::Bitmap picture(jpeg_path.c_str());
    CLSID clsid;
    return picture.GetLastStatus() == Gdiplus::Ok && find_image_encoder(L"image/bmp", clsid) &&
           picture.Save((jpeg_path + L".floor.bmp").c_str(), &clsid, nullptr) == Gdiplus::Ok;
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int)
{
#ifdef FLOOR_DECODES
    // Started like the tray, which keeps GDI+ for its whole life.
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok || !decode_and_save(command_line)) return 1;
#else
    (void)command_line;
#endif
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"TapestrelFloorClass";
    if (!RegisterClassW(&window_class)) return 1;
    if (!CreateWindowW(L"TapestrelFloorClass", L"Tapestrel_FLOOR", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                       instance, nullptr))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
