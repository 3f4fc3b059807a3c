#pragma once
#include "winui/PictureImage_CL.h"

// The main window's preview: dragging the picture moves the main window, and
// a right click is reported to it (message 0x1400, wParam = the preview's id).
class MyPictureImage_CL : public PictureImage_CL {
public:
    static constexpr UINT kChildRightClick = 0x1400;

    MyPictureImage_CL() = default;
    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
    ~MyPictureImage_CL() override = default;
    HWND create(HWND parent, int id, int width, int height, int x, int y) override;

private:
    struct Drag {
        HWND moved = nullptr;  // the main window
        HWND own = nullptr;
        bool dragging = false;
        POINT grab{};  // cursor minus the moved window's top-left, screen coordinates
    };
    Drag drag_;
};
