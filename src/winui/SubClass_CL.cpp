#include "winui/SubClass_CL.h"

#include "winui/Subclassing.h"

SubClass_CL::~SubClass_CL()
{
    subclassing::detach(window_, this, previous_);
}

LRESULT SubClass_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return callback_ ? callback_(window, message, wparam, lparam) : 0;
}

bool SubClass_CL::attach(HWND window)
{
    window_ = window;
    previous_ = subclassing::install(window, this, &subclassing::procedure<SubClass_CL>);
    return previous_ != nullptr;
}
