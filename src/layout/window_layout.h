// The parts of the window that every page shares or that the home page shows:
// the title bar and its buttons, the home panel with its selector and install
// button, and the user menu hanging under the menu button.
#pragma once

#include "layout/geometry.h"

struct TitleBarLayout {
    RECT bar = {}, logo = {}, caption = {};
    RECT ordersBtn = {}, supportBtn = {};  // the two text buttons
    RECT menuBtn = {}, minBtn = {}, closeBtn = {};
};
TitleBarLayout TitleBarLayoutFor(const ClientArea& client);

struct HomeLayout {
    RECT panel = {};
    RECT logo = {}, latinCaption = {}, chineseCaption = {}, welcome = {};
    RECT selector = {}, selectorText = {}, selectorArrow = {};
    RECT install = {};
};
HomeLayout HomeLayoutFor(const ClientArea& client);

// The two-item menu, set when it opens.
RECT UserMenuRect(const RECT& menuBtn, const LayoutScale& s);
// Item index under y, not checked against the two items.
int UserMenuItem(const RECT& menu, int y, const LayoutScale& s);

// One item of the open menu: its row, the hover highlight, icon and text.
struct UserMenuRow {
    RECT row = {}, highlight = {}, icon = {}, text = {};
};
UserMenuRow UserMenuRowAt(const RECT& menu, int item, const LayoutScale& s);
