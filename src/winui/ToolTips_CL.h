#pragma once
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

// A tool-tip window and the tools added to it. The tool-tip window is owned:
// created by create, destroyed with the object (unless its owner window
// already took it along).
class ToolTips_CL {
public:
    ToolTips_CL() = default;
    ToolTips_CL(const ToolTips_CL&) = delete;
    ToolTips_CL& operator=(const ToolTips_CL&) = delete;
    virtual ~ToolTips_CL();

    HWND create(HWND owner);
    // A tip for a rectangle of a window (tool id 0x1000), 5-pixel margins,
    // at most 320 pixels wide.
    bool add_tool(HWND window, const RECT& rectangle, const std::wstring& text);
    // Removes every tool added so far, the last first.
    void remove_tools();

    HWND window() const { return window_; }
    size_t tool_count() const { return tools_.size(); }

private:
    HWND window_ = nullptr;
    std::vector<TTTOOLINFOW> tools_;
};
