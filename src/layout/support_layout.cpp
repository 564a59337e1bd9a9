// The customer-service page (see support_layout.h).
#include "layout/support_layout.h"

#include <algorithm>

SupportLayout SupportLayoutFor(const ClientArea& client, int imageWidth, int imageHeight) {
    const LayoutScale& s = client.scale;
    SupportLayout p;
    const int w = s.X(600);
    p.panel = CentredPanel(client, w, s.Y(450));
    p.title = TitledPanelTitle(p.panel, s);
    const int iw = std::min(imageWidth, s.X(250));
    const int ih = std::min(imageHeight, s.Y(250));
    const int ix = p.panel.left + (w - iw) / 2;
    const int iy = p.panel.top + s.Y(90);
    p.image = {ix, iy, ix + iw, iy + ih};
    p.frame = {ix - s.X(5), iy - s.Y(5), ix - s.X(5) + iw + s.X(10), iy - s.Y(5) + ih + s.Y(10)};
    const int infoTop = p.panel.top + s.Y(350);
    p.hours = {p.panel.left, infoTop + s.Y(30), p.panel.left + w, infoTop + s.Y(55)};
    p.homeBtn = HomeButton(s);
    return p;
}
