// GDI+ with the min and max its headers expect (the build defines NOMINMAX).
#pragma once
#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>
