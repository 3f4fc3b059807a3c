#include "winui/CommunicateWait_CL.h"

#include "base/GdiplusInclude.h"

HWND CommunicateWait_CL::create(HWND parent)
{
    const DpiScale scale = adopt_dpi(parent);
    if (!create_window(WS_EX_LEFT, L"Static", L"", kChildStyle, scale(200), scale(32), scale(320), scale(16), parent, kId))
        return nullptr;
    subclass();
    return window();
}

void CommunicateWait_CL::begin_busy()
{
    // An indicator whose window is gone shows nothing.
    (void)tasks().run_or_post([this] { change_busy(true); });
}

void CommunicateWait_CL::end_busy()
{
    (void)tasks().run_or_post([this] { change_busy(false); });
}

void CommunicateWait_CL::change_busy(bool begin)
{
    if (begin) {
        if (busy_ == 0) SetTimer(window(), kTimerId, 40, nullptr);
        ++busy_;
        return;
    }
    if (busy_ <= 0) return;
    if (--busy_ == 0) {
        KillTimer(window(), kTimerId);
        InvalidateRect(window(), nullptr, FALSE);
    }
}

LRESULT CommunicateWait_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    set_handled(true);
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        paint(dc);
        EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_TIMER && wparam == kTimerId) {
        phase_ += 4;
        InvalidateRect(window, nullptr, FALSE);
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void CommunicateWait_CL::paint(HDC dc) const
{
    RECT client{};
    GetClientRect(window(), &client);
    const Gdiplus::REAL width = static_cast<Gdiplus::REAL>(client.right);
    const Gdiplus::REAL height = static_cast<Gdiplus::REAL>(client.bottom);
    Gdiplus::Graphics graphics(dc);
    if (busy_ == 0) {
        Gdiplus::SolidBrush white(Gdiplus::Color(0xFFFFFFFF));
        graphics.FillRectangle(&white, 0.0f, 0.0f, width, height);
        return;
    }
    const Gdiplus::REAL third = width / 3;
    Gdiplus::LinearGradientBrush bar(Gdiplus::PointF(0, 0), Gdiplus::PointF(third, height), Gdiplus::Color(0xFFFFFFFF),
                                     Gdiplus::Color(0xFF00FF00));
    graphics.FillRectangle(&bar, 0.0f, 0.0f, width, height);
    const int period = 2 * static_cast<int>(third);
    if (period <= 0) return;
    const Gdiplus::REAL x = static_cast<Gdiplus::REAL>(phase_ % period) - third;
    Gdiplus::LinearGradientBrush band(Gdiplus::PointF(0, 0), Gdiplus::PointF(third, height),
                                      Gdiplus::Color(0xFFFFFFFF), Gdiplus::Color(0xFF00C800));
    graphics.FillRectangle(&band, x, 0.0f, third, height);
    graphics.FillRectangle(&band, x + 2 * third, 0.0f, third, height);
}
