#include "winui/ToolTips_CL.h"

#include "winui/DpiScale.h"

ToolTips_CL::~ToolTips_CL()
{
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

HWND ToolTips_CL::create(HWND owner)
{
    window_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    return window_;
}

bool ToolTips_CL::add_tool(HWND window, const RECT& rectangle, const std::wstring& text)
{
    TTTOOLINFOW tool{};
    // The smallest record every version of the common controls accepts.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = 0x1000;
    tool.rect = rectangle;
    tool.hinst = GetModuleHandleW(nullptr);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    if (!SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) return false;
    // The control keeps its own copy of the text.
    tool.lpszText = nullptr;
    tools_.push_back(tool);
    RECT margin{5, 5, 5, 5};
    SendMessageW(window_, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
    SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, DpiScale::of(window_)(320));
    return true;
}

void ToolTips_CL::remove_tools()
{
    for (auto tool = tools_.rbegin(); tool != tools_.rend(); ++tool)
        SendMessageW(window_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&*tool));
    tools_.clear();
}
