// A picture at client size kept between paints, valid while its key, a text
// naming everything drawn into it, is unchanged (PaintThroughCache fills it).
#pragma once
#include <windows.h>

#include <string>

#include "util/handles.h"

struct PaintCache {
    GdiObject<HBITMAP> bitmap;
    std::wstring key;
};
