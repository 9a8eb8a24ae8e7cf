// Menu images: the command image list (16 x 15 images with a mask, built at
// start-up from the strip bitmaps 2002-2005 into Settings.CommandImages and
// Settings.CommandImageIndex) and the owner-drawn menu items that show them.
//
// When a popup opens, every item that is neither a separator nor already
// owner-drawn is converted: its text is split at the first tab into label and
// shortcut, its image is the command's image (none without one). The item
// data is an OwnerMenuItem owned by the window whose menu it belongs to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qm {

class ComparisonWindow;

// Registered in a process-wide set while it exists, so that the drawing code
// only ever follows item data it made itself.
struct OwnerMenuItem {
  OwnerMenuItem();
  ~OwnerMenuItem();
  OwnerMenuItem(const OwnerMenuItem&) = delete;
  OwnerMenuItem& operator=(const OwnerMenuItem&) = delete;

  std::string label;     // text before the first tab, with its & mnemonic
  std::string shortcut;  // text after the first tab, or empty
  int image = -1;        // index in Settings.CommandImages, -1 for none
  bool isDefault = false;  // the menu's default item, drawn bold
};

// One strip bitmap and the command of each of its images (0: no command).
struct CommandStrip {
  UINT bitmapId;
  std::vector<UINT> commands;
};
const std::vector<CommandStrip>& CommandStrips();

// Builds Settings.CommandImages and CommandImageIndex from the strips
// (magenta 0xFF00FF transparent). A missing strip adds no images. False when
// the image list could not be made.
bool BuildCommandImages();

// Label and shortcut of a menu text.
void SplitMenuText(const std::string& text, std::string* label, std::string* shortcut);

// Converts the popup's items (not its submenus' items, which convert when
// they open) to owner-drawn items owned by window.
void ConvertMenuToOwnerDraw(ComparisonWindow& window, HMENU popup);
// The owner-drawn data of the item at position, or null.
OwnerMenuItem* OwnerMenuItemAt(HMENU menu, int position);

// WM_MEASUREITEM / WM_DRAWITEM for ODT_MENU items; false when the item is
// not one of ours.
bool MeasureMenuItem(MEASUREITEMSTRUCT* mis);
bool DrawMenuItem(const DRAWITEMSTRUCT* dis);
// WM_MENUCHAR: owner-drawn items have no text the system could search for
// their mnemonic. Returns MNC_EXECUTE with the item whose label has
// &key (first match), else MNC_IGNORE (0).
LRESULT MenuCharResult(HMENU menu, char key);
// The three messages above as the owner of an owner-drawn popup receives
// them: true with *result set when the message was for one of our items
// (the owner then returns *result), false to handle it as usual.
bool OwnerDrawnMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
// The mnemonic of a label ("Tile &Horizontally" gives 'h'), 0 for none;
// "&&" is a literal ampersand.
char MnemonicOf(const std::string& label);

}  // namespace qm
