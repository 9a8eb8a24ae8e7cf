#include "controls/masked_bitmap.h"

namespace qm {

namespace {

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace

void DrawMaskedBitmap(HDC dc, const RECT& rect, HBITMAP image, HBITMAP mask, bool pressed) {
  if (!image || !mask) return;
  const SIZE size = BitmapSize(image);
  const int shift = pressed ? 1 : 0;
  const int x = rect.left + (rect.right - rect.left - size.cx) / 2 + shift;
  const int y = rect.top + (rect.bottom - rect.top - size.cy) / 2 + shift;
  MemoryDC imageDC(dc), maskDC(dc);
  if (!imageDC.get() || !maskDC.get()) return;
  SelectScope selectImage(imageDC.get(), image);
  SelectScope selectMask(maskDC.get(), mask);
  // A monochrome source reaches a colour destination as the destination's
  // text colour (0) and background colour (1): black and white make the
  // mask all zeros or all ones. Image XOR, mask AND, image XOR leaves the
  // destination where the mask is 1 and the image where it is 0, whatever
  // the image holds under the mask.
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, x, y, size.cx, size.cy, imageDC.get(), 0, 0, SRCINVERT);
  BitBlt(dc, x, y, size.cx, size.cy, maskDC.get(), 0, 0, SRCAND);
  BitBlt(dc, x, y, size.cx, size.cy, imageDC.get(), 0, 0, SRCINVERT);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

GdiObject<HBITMAP> MakeColourMask(HBITMAP image, COLORREF transparent) {
  const SIZE size = BitmapSize(image);
  if (size.cx <= 0 || size.cy <= 0) return GdiObject<HBITMAP>();
  GdiObject<HBITMAP> mask(CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
  MemoryDC imageDC(nullptr), maskDC(nullptr);
  if (!mask || !imageDC.get() || !maskDC.get()) return GdiObject<HBITMAP>();
  {
    SelectScope selectImage(imageDC.get(), image);
    SelectScope selectMask(maskDC.get(), mask.get());
    // Colour to monochrome: pixels of the source's background colour
    // become 1, all others 0.
    SetBkColor(imageDC.get(), transparent);
    BitBlt(maskDC.get(), 0, 0, size.cx, size.cy, imageDC.get(), 0, 0, SRCCOPY);
  }
  return mask;
}

}  // namespace qm
