#pragma once
// GDI+ headers expect min and max, which NOMINMAX removes from windows.h.
#include <algorithm>
#include <windows.h>
#include <objidl.h>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>
