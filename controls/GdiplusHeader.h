#pragma once

// The GDI+ header, with the min and max it expects from the Windows headers, which
// NOMINMAX removes. Include this instead of <gdiplus.h>.
#include <windows.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>
