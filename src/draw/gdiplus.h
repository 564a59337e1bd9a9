// GDI+ with the headers it silently depends on (PROPID, min and max).
#pragma once
#include <windows.h>
#include <objidl.h>

#include <algorithm>
using std::max;
using std::min;

#include <gdiplus.h>
