// The About box (dialog 24000), laid out at 96 dots per inch whatever the
// system's setting: its font is the template's font at point size times
// 96 / 72 pixels, and the dialog and every control are placed from their
// template coordinates with that font's base units.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qm {

// The vendor's addresses: the About box's links and Help commands 20702
// ("Visit our Website") and 20709 ("Send an Email").
extern const char kVendorWebSite[];
extern const char kSupportMailLink[];

// What the layout needs of an extended dialog template (DLGTEMPLATEEX).
struct DialogTemplateLayout {
  struct Item {
    DWORD id;
    short x, y, cx, cy;
  };
  std::string fontFace;
  WORD pointSize = 0;
  WORD weight = 0;
  BYTE italic = 0;
  BYTE charset = 0;
  short cx = 0, cy = 0;
  std::vector<Item> items;  // template order, which is the children's order
};

// Parses an extended template of size bytes. False when it is not one, has
// no font, or is cut short.
bool ParseDialogTemplateEx(const void* data, size_t size, DialogTemplateLayout* layout);

// Dialog units to pixels with base units baseX (average character width)
// and baseY (character height), rounded to the nearest pixel.
RECT DialogUnitsToPixels(short x, short y, short cx, short cy, int baseX, int baseY);

// Shows the modal About box owned by owner.
void ShowAboutBox(HWND owner);

}  // namespace qm
