#include "winui/ControlBase_CL.h"

#include <vector>

#include "winui/Subclassing.h"

namespace {
HFONT stock_font()
{
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}
}  // namespace

ControlBase_CL::ControlBase_CL(int kind) : kind_(kind), font_(stock_font()) {}

ControlBase_CL::~ControlBase_CL()
{
    tasks_.close();
    subclassing::detach(window_, this, previous_);
}

LRESULT ControlBase_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return callback_ ? callback_(window, message, wparam, lparam) : 0;
}

POINT ControlBase_CL::position() const
{
    RECT rect{};
    GetWindowRect(window_, &rect);
    POINT top_left{rect.left, rect.top};
    const HWND parent = GetAncestor(window_, GA_PARENT);
    if (parent && parent != GetDesktopWindow()) MapWindowPoints(nullptr, parent, &top_left, 1);
    return top_left;
}

void ControlBase_CL::resize(int width, int height, bool repaint)
{
    const POINT top_left = position();
    MoveWindow(window_, top_left.x, top_left.y, width, height, repaint ? TRUE : FALSE);
}

void ControlBase_CL::move_to(int x, int y)
{
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlBase_CL::set_top(int y)
{
    move_to(position().x, y);
}

std::wstring ControlBase_CL::text() const
{
    const int length = GetWindowTextLengthW(window_);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextW(window_, buffer.data(), length + 1);
    return std::wstring(buffer.data(), got > 0 ? got : 0);
}

SIZE ControlBase_CL::text_extent(const std::wstring& text) const
{
    RECT rect{0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, font_);
    DrawTextW(screen, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int ControlBase_CL::text_width(const std::wstring& text) const
{
    return text_extent(text).cx;
}

int ControlBase_CL::text_height(const std::wstring& text) const
{
    return text_extent(text).cy;
}

bool ControlBase_CL::subclass()
{
    if (!window_) return false;
    // Twice would put the common procedure in front of itself.
    if (previous_ && subclassing::bound_object<ControlBase_CL>(window_) == this) return true;
    callback_ = nullptr;
    previous_ = subclassing::install(window_, this, &ControlBase_CL::procedure);
    if (previous_) tasks_.open(window_);
    return previous_ != nullptr;
}

LRESULT CALLBACK ControlBase_CL::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    ControlBase_CL* object = subclassing::bound_object<ControlBase_CL>(window);
    if (object && object->tasks_.on_message(message)) return 0;
    return subclassing::procedure<ControlBase_CL>(window, message, wparam, lparam);
}

HWND ControlBase_CL::create_window(DWORD ex_style, const wchar_t* window_class, const wchar_t* text, DWORD style,
                                   int x, int y, int width, int height, HWND parent, int id, void* parameter)
{
    id_ = id;
    window_ = CreateWindowExW(ex_style, window_class, text, style, x, y, width, height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), parameter);
    if (window_) SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    return window_;
}

HWND ControlBase_CL::create_window(DWORD ex_style, const wchar_t* window_class, const wchar_t* text, DWORD style,
                                   int x, int y, int width, int height, HWND parent, int id)
{
    return create_window(ex_style, window_class, text, style, x, y, width, height, parent, id, this);
}

DpiScale ControlBase_CL::adopt_dpi(HWND parent)
{
    scale_ = DpiScale::of(parent);
    font_ = scale_.font();
    return scale_;
}

void ControlBase_CL::on_dpi_changed(const DpiScale& scale)
{
    scale_ = scale;
    font_ = scale.font();
    if (window_) SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
}
