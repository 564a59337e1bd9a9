// The customer-service page: its panel, the contact image in its white frame,
// the service hours and the home button.
#pragma once

#include "layout/geometry.h"

// The image and its frame are drawn only when there is an image.
struct SupportLayout {
    RECT panel = {}, title = {};
    RECT image = {}, frame = {};
    RECT hours = {}, homeBtn = {};
};
// imageWidth × imageHeight are the contact image's pixels. Each side is clamped on its own: a large picture that is not square is
// squeezed, a small one keeps its size so a QR code stays sharp.
SupportLayout SupportLayoutFor(const ClientArea& client, int imageWidth, int imageHeight);
