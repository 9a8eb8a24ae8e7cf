// Bitmaps with transparent pixels, as the owner-drawn browse buttons, the
// side marks and the tips dialog draw them.
//
// A mask is a monochrome bitmap of the image's size: 1 where the destination
// shows through, 0 where the image is drawn; the *_MASK bitmaps of
// resources/resource.h follow it. The image may hold any colour under the
// mask. Both bitmaps are borrowed; nothing is kept between calls.
#pragma once

#include <windows.h>

#include "controls/gdi_owner.h"

namespace qm {

// Draws image through mask centred in rect, one pixel right and down when
// pressed (a pushed button). Draws nothing when either bitmap is null.
void DrawMaskedBitmap(HDC dc, const RECT& rect, HBITMAP image, HBITMAP mask,
                      bool pressed = false);

// A mask of image with 1 wherever the image has the colour transparent;
// empty when image is null or GDI is out of resources.
GdiObject<HBITMAP> MakeColourMask(HBITMAP image, COLORREF transparent);

}  // namespace qm
