#include "mainwindow/SpliterWindowHelper_CL.h"

#include <windowsx.h>

void SplitterNode::layout(const RECT& area)
{
    const bool vertical = orientation == 0;
    const int start = vertical ? area.left : area.top;
    const int end = vertical ? area.right : area.bottom;
    if (position > end - bar) position = end - bar;
    if (position < start) position = start;
    for (Pane& pane : panes) {
        pane.left = area.left;
        pane.top = area.top;
        pane.right = area.right;
        pane.bottom = area.bottom;
    }
    if (vertical) {
        panes[0].right = position;
        panes[1].left = position + bar;
    } else {
        panes[0].bottom = position;
        panes[1].top = position + bar;
    }
    for (int i = 0; i < 2; ++i)
        if (panes[i].child) panes[i].child->layout(pane_rect(i));
}

RECT SplitterNode::area() const
{
    return RECT{panes[0].left, panes[0].top, panes[1].right, panes[1].bottom};
}

RECT SplitterNode::pane_rect(int index) const
{
    const Pane& pane = panes[index];
    return RECT{pane.left, pane.top, pane.right, pane.bottom};
}

bool SplitterNode::on_bar(int x, int y) const
{
    if (orientation == 0) return panes[0].right <= x && x < panes[1].left && panes[0].top <= y && y < panes[0].bottom;
    return panes[0].bottom <= y && y < panes[1].top && panes[0].left <= x && x < panes[0].right;
}

SplitterNode* SplitterNode::node_at(int x, int y)
{
    const RECT whole = area();
    if (!PtInRect(&whole, POINT{x, y})) return nullptr;
    for (int i = 0; i < 2; ++i) {
        const RECT pane = pane_rect(i);
        if (panes[i].child && PtInRect(&pane, POINT{x, y})) {
            if (SplitterNode* inner = panes[i].child->node_at(x, y)) return inner;
        }
    }
    return this;
}

bool SpliterWindowHelper_CL::handle_message(HWND window, UINT message, WPARAM, LPARAM lparam)
{
    if (!root_) return false;
    const int x = GET_X_LPARAM(lparam);
    const int y = GET_Y_LPARAM(lparam);
    switch (message) {
    case WM_MOUSEMOVE:
        if (dragged_) {
            drag_to(window, x, y);
            return true;
        }
        if (SplitterNode* node = root_->node_at(x, y)) {
            if (!node->on_bar(x, y)) return false;
            set_size_cursor(*node);
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
        if (SplitterNode* node = dragged_ ? nullptr : root_->node_at(x, y)) {
            if (!node->on_bar(x, y)) return false;
            begin_drag(window, node);
            return true;
        }
        return false;
    case WM_LBUTTONUP:
        if (!dragged_) return false;
        end_drag(window, x, y);
        return true;
    default:
        return false;
    }
}

void SpliterWindowHelper_CL::set_size_cursor(const SplitterNode& node) const
{
    SetCursor(LoadCursorW(nullptr, node.orientation == 0 ? IDC_SIZEWE : IDC_SIZENS));
}

void SpliterWindowHelper_CL::move_bar(SplitterNode& node, int x, int y)
{
    node.position = node.orientation == 0 ? x : y;
    node.layout(node.area());
}

// The line is drawn over the children, so clipping is switched off while dragging.
void SpliterWindowHelper_CL::begin_drag(HWND window, SplitterNode* node)
{
    dragged_ = node;
    SetWindowLongPtrW(window, GWL_STYLE,
                      GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPCHILDREN | WS_CLIPSIBLINGS));
    toggle_line(window);
    SetCapture(window);
}

void SpliterWindowHelper_CL::drag_to(HWND window, int x, int y)
{
    if (line_.left != -1) toggle_line(window);
    move_bar(*dragged_, x, y);
    toggle_line(window);
    set_size_cursor(*dragged_);
}

void SpliterWindowHelper_CL::end_drag(HWND window, int x, int y)
{
    if (line_.left != -1) toggle_line(window);
    move_bar(*root_, x, y);
    ReleaseCapture();
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    dragged_ = nullptr;
    line_.left = -1;
    SendMessageW(notify_, kSplitterMoved, 0, 0);
}

// Draws the line at the dragged bar's position, or erases it when drawn there
// already: XOR drawing twice leaves the window as it was.
void SpliterWindowHelper_CL::toggle_line(HWND window)
{
    const bool erasing = line_.left != -1;
    if (!erasing) {
        const SplitterNode& node = *dragged_;
        const RECT area = node.area();
        line_ = node.orientation == 0 ? RECT{node.position, area.top, node.position, area.bottom}
                                      : RECT{area.left, node.position, area.right, node.position};
    }
    LOGBRUSH brush{BS_SOLID, RGB(0, 255, 0), 0};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, static_cast<DWORD>(dragged_->bar), &brush, 0, nullptr);
    HDC dc = GetDC(window);
    const int old_mode = SetROP2(dc, R2_XORPEN);
    const HGDIOBJ old_pen = SelectObject(dc, pen);
    MoveToEx(dc, line_.left, line_.top, nullptr);
    LineTo(dc, line_.right, line_.bottom);
    SelectObject(dc, old_pen);
    SetROP2(dc, old_mode);
    ReleaseDC(window, dc);
    DeleteObject(pen);
    if (erasing) line_.left = -1;
}
