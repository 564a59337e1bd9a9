// The layout's vocabulary: rectangles and points in client pixels, the scale
// that turns layout units (1/96 inch) into pixels, the client area a layout is
// worked out for, and the pieces several pages share. Windows' own RECT and
// POINT on Windows; the same fields elsewhere, so the layout also builds
// natively for its fuzz target.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
struct RECT {
    int left, top, right, bottom;
};
struct POINT {
    int x, y;
};
#endif

// Layout units to pixels, truncating n × factor in single precision. Every
// constant is scaled on its own, so ScaleX(a) + ScaleX(b) may differ from
// ScaleX(a + b) by a pixel.
struct LayoutScale {
    float fx = 1.0f;
    float fy = 1.0f;
    int X(int n) const { return static_cast<int>(static_cast<float>(n) * fx); }
    int Y(int n) const { return static_cast<int>(static_cast<float>(n) * fy); }
};

// The client area in pixels and its scale: all a layout needs beside the state
// that changes it.
struct ClientArea {
    int width = 0;
    int height = 0;
    LayoutScale scale;
};

// A horizontal line from (left, y) to (right, y).
struct HLine {
    int left = 0;
    int right = 0;
    int y = 0;
};

inline int Width(const RECT& rc) { return rc.right - rc.left; }
inline int Height(const RECT& rc) { return rc.bottom - rc.top; }
inline bool IsEmptyRect(const RECT& rc) { return rc.right <= rc.left || rc.bottom <= rc.top; }
// PtInRect's rule: left and top inclusive, right and bottom exclusive.
inline bool Contains(const RECT& rc, POINT pt) {
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

// A panel of width × height pixels centred in the client area (integer halves).
RECT CentredPanel(const ClientArea& client, int width, int height);
// A rectangle of width × height centred across the card, top pixels below its top.
RECT CentredAcross(const RECT& card, int top, int width, int height);
// A band across the whole card between two offsets from its top.
RECT CardRow(const RECT& card, int top, int bottom);

// The "首页" button of the purchase, orders and support pages.
RECT HomeButton(const LayoutScale& s);
// The bold title of the orders and support pages' panel.
RECT TitledPanelTitle(const RECT& panel, const LayoutScale& s);

// The version drop list: rows of 32 units hanging 2 units below the selector,
// as wide as it. No maximum height: it grows with the versions.
struct DropList {
    RECT list = {};
    int rowHeight = 0;
    int tintInset = 0;   // the selected row's tint starts this far in
    int tintShrink = 0;  // and is this much narrower than the row
    int nameInset = 0;   // the names and the separators keep this far from each side
    RECT Row(int i) const;
    RECT Tint(int i) const;
    // The name's rectangle; the separator above row i runs along its top.
    RECT Name(int i) const;
    // The row under y, not checked against the count; -1 before the scale is known.
    int RowAt(int y) const { return rowHeight > 0 ? (y - list.top) / rowHeight : -1; }
    // The selector with its open list: the area a list change repaints.
    RECT AreaWith(const RECT& selector) const { return {selector.left, selector.top, selector.right, list.bottom}; }
};
DropList DropListBelow(const RECT& selector, int rows, const LayoutScale& s);

// Inside a selector: the arrow's cell at the right end.
RECT SelectorArrow(const RECT& selector, const LayoutScale& s);
