// Pieces of layout that several pages share (see geometry.h).
#include "layout/geometry.h"

RECT CentredPanel(const ClientArea& client, int width, int height) {
    const int left = (client.width - width) / 2;
    const int top = (client.height - height) / 2;
    return {left, top, left + width, top + height};
}

RECT CentredAcross(const RECT& card, int top, int width, int height) {
    const int left = card.left + (Width(card) - width) / 2;
    return {left, card.top + top, left + width, card.top + top + height};
}

RECT CardRow(const RECT& card, int top, int bottom) { return {card.left, card.top + top, card.right, card.top + bottom}; }

RECT HomeButton(const LayoutScale& s) { return {s.X(20), s.Y(60), s.X(80), s.Y(90)}; }

RECT TitledPanelTitle(const RECT& panel, const LayoutScale& s) {
    return {panel.left, panel.top + s.Y(30), panel.right, panel.top + s.Y(70)};
}

RECT DropList::Row(int i) const {
    return {list.left, list.top + i * rowHeight, list.right, list.top + (i + 1) * rowHeight};
}

RECT DropList::Tint(int i) const {
    const RECT row = Row(i);
    return {row.left + tintInset, row.top, row.left + tintInset + Width(row) - tintShrink, row.bottom};
}

RECT DropList::Name(int i) const {
    const RECT row = Row(i);
    return {row.left + nameInset, row.top, row.right - nameInset, row.bottom};
}

DropList DropListBelow(const RECT& selector, int rows, const LayoutScale& s) {
    DropList d;
    d.rowHeight = s.Y(32);
    const int top = selector.bottom + s.Y(2);
    d.list = {selector.left, top, selector.right, top + rows * d.rowHeight};
    d.tintInset = s.X(1);
    d.tintShrink = s.X(2);
    d.nameInset = s.X(5);
    return d;
}

RECT SelectorArrow(const RECT& selector, const LayoutScale& s) {
    return {selector.right - s.X(35), selector.top, selector.right - s.X(5), selector.bottom};
}
