#include "mainwindow/MyPictureImage_CL.h"

HWND MyPictureImage_CL::create(HWND parent, int id, int width, int height, int x, int y)
{
    if (!PictureImage_CL::create(parent, id, width, height, x, y)) return nullptr;
    drag_.moved = parent;
    drag_.own = window();
    return window();
}

LRESULT MyPictureImage_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    POINT cursor{};
    switch (message) {
    case WM_LBUTTONDOWN:
        if (!drag_.dragging) {
            RECT moved{};
            GetWindowRect(drag_.moved, &moved);
            GetCursorPos(&cursor);
            drag_.dragging = true;
            drag_.grab = POINT{cursor.x - moved.left, cursor.y - moved.top};
            SetCapture(drag_.own);
        }
        break;
    case WM_MOUSEMOVE:
        if (drag_.dragging && !IsZoomed(drag_.moved)) {
            GetCursorPos(&cursor);
            SetWindowPos(drag_.moved, nullptr, cursor.x - drag_.grab.x, cursor.y - drag_.grab.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER);
        }
        break;
    case WM_LBUTTONUP:
        if (drag_.dragging) {
            drag_.dragging = false;
            ReleaseCapture();
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the drag is over.
        drag_.dragging = false;
        break;
    case WM_RBUTTONUP:
        SendMessageW(GetParent(window), kChildRightClick, static_cast<WPARAM>(id()), 0);
        break;
    default:
        break;
    }
    return PictureImage_CL::handle_message(window, message, wparam, lparam);
}
