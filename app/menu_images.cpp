#include "app/menu_images.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>

#include "app/comparison_window.h"
#include "app/settings.h"
#include "controls/gdi_owner.h"
#include "controls/module_instance.h"
#include "resources/resource.h"

namespace qm {

namespace {

constexpr int kImageWidth = 16;
constexpr int kImageHeight = 15;
constexpr int kMinItemHeight = 19;
constexpr int kGap = 6;  // between image square, label, shortcut and edge

// Never destroyed, like the live window list: items of windows still open
// at exit go during static destruction.
std::set<const OwnerMenuItem*>& LiveItems() {
  static auto* items = new std::set<const OwnerMenuItem*>;
  return *items;
}

const OwnerMenuItem* ItemFromData(ULONG_PTR data) {
  auto* item = reinterpret_cast<const OwnerMenuItem*>(data);
  return item && LiveItems().count(item) ? item : nullptr;
}

// The menu font of the system; empty when the metrics cannot be read.
GdiObject<HFONT> CreateMenuFont(bool bold = false) {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    return GdiObject<HFONT>();
  }
  if (bold) ncm.lfMenuFont.lfWeight = FW_BOLD;
  return GdiObject<HFONT>(CreateFontIndirectA(&ncm.lfMenuFont));
}

// font, or the stock GUI font standing in for an empty one.
HGDIOBJ FontOrStock(const GdiObject<HFONT>& font) {
  return font ? font.get() : GetStockObject(DEFAULT_GUI_FONT);
}

SIZE TextExtent(HDC dc, const std::string& text) {
  RECT rc{0, 0, 0, 0};
  if (!text.empty()) {
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc,
              DT_SINGLELINE | DT_CALCRECT);
  }
  return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

void DrawLabel(HDC dc, const std::string& text, RECT rc, UINT align, bool grayed, bool noAccel) {
  if (text.empty()) return;
  if (!grayed) {
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc,
              align | DT_SINGLELINE | DT_VCENTER | (noAccel ? DT_HIDEPREFIX : 0));
    return;
  }
  // DrawState embosses; it places text at a point, so centre it first.
  const SIZE size = TextExtent(dc, text);
  const int x = align == DT_RIGHT ? rc.right - size.cx : rc.left;
  const int y = rc.top + (rc.bottom - rc.top - size.cy) / 2;
  DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()),
             static_cast<WPARAM>(text.size()), x, y, size.cx, size.cy,
             DST_PREFIXTEXT | DSS_DISABLED);
}

void DrawImage(HDC dc, int image, const RECT& square, bool grayed) {
  const int x = square.left + (square.right - square.left - kImageWidth) / 2;
  const int y = square.top + (square.bottom - square.top - kImageHeight) / 2;
  if (!grayed) {
    ImageList_Draw(Settings.CommandImages, image, dc, x, y, ILD_TRANSPARENT);
    return;
  }
  if (HICON icon = ImageList_GetIcon(Settings.CommandImages, image, ILD_TRANSPARENT)) {
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, kImageWidth,
               kImageHeight, DST_ICON | DSS_DISABLED);
    DestroyIcon(icon);
  }
}

void DrawCheck(HDC dc, const RECT& square, bool radio, COLORREF color) {
  // DrawFrameControl draws the mark black on white into a mask-like bitmap;
  // draw it through a monochrome bitmap so it takes the item's text colour.
  const int size = (square.bottom - square.top) * 2 / 3;
  MemoryDC memory(dc);
  GdiObject<HBITMAP> mono(CreateBitmap(size, size, 1, 1, nullptr));
  GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  if (!memory.get() || !mono || !brush) return;
  SelectScope selectMono(memory.get(), mono.get());
  RECT rc{0, 0, size, size};
  DrawFrameControl(memory.get(), &rc, DFC_MENU, radio ? DFCS_MENUBULLET : DFCS_MENUCHECK);
  const int x = square.left + (square.right - square.left - size) / 2;
  const int y = square.top + (square.bottom - square.top - size) / 2;
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  {
    SelectScope selectBrush(dc, brush.get());
    // Where the mask is black (the mark) paint the brush, elsewhere keep dst.
    BitBlt(dc, x, y, size, size, memory.get(), 0, 0, 0x00B8074A);  // PSDPxax
  }
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

}  // namespace

OwnerMenuItem::OwnerMenuItem() { LiveItems().insert(this); }

OwnerMenuItem::~OwnerMenuItem() { LiveItems().erase(this); }

const std::vector<CommandStrip>& CommandStrips() {
  static const std::vector<CommandStrip> strips = {
      {IDB_STRIP_MAIN,
       {20000, 20001, 20002, 20212, 20100, 20101, 20214, 20213, 20300, 20301, 20302}},
      {IDB_STRIP_EDIT,
       {20501, 20502, 20503, 20006, 20007, 20210, 20211, 20507, 20508, 20509, 20107, 0, 0, 20102,
        20103, 20104, 0, 0, 0}},
      {IDB_STRIP_FOLDER, {20600, 20601, 20602, 20603, 20604, 20605}},
      {IDB_STRIP_HELP, {20700, 0, 0, 20702, 20709, 20705, 25003, 0}},
  };
  return strips;
}

bool BuildCommandImages() {
  if (Settings.CommandImages) ImageList_Destroy(Settings.CommandImages);
  Settings.CommandImageIndex.clear();
  Settings.CommandImages = ImageList_Create(kImageWidth, kImageHeight, ILC_COLOR24 | ILC_MASK, 20, 10);
  if (!Settings.CommandImages) return false;
  for (const CommandStrip& strip : CommandStrips()) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(ModuleInstance(),
                                                     MAKEINTRESOURCEA(strip.bitmapId),
                                                     IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (!bitmap) continue;
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    const int first = ImageList_AddMasked(Settings.CommandImages, bitmap, RGB(255, 0, 255));
    DeleteObject(bitmap);
    if (first < 0) continue;
    const size_t added = static_cast<size_t>(info.bmWidth / kImageWidth);
    for (size_t n = 0; n < strip.commands.size() && n < added; ++n) {
      if (strip.commands[n] != 0) {
        Settings.CommandImageIndex[strip.commands[n]] = first + static_cast<int>(n);
      }
    }
  }
  return true;
}

void SplitMenuText(const std::string& text, std::string* label, std::string* shortcut) {
  const size_t tab = text.find('\t');
  *label = text.substr(0, tab);
  *shortcut = tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

char MnemonicOf(const std::string& label) {
  for (size_t i = 0; i + 1 < label.size(); ++i) {
    if (label[i] != '&') continue;
    if (label[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(label[i + 1])));
  }
  return 0;
}

void ConvertMenuToOwnerDraw(ComparisonWindow& window, HMENU popup) {
  for (int i = 0, n = GetMenuItemCount(popup); i < n; ++i) {
    char text[256] = "";
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_STATE;
    mii.dwTypeData = text;
    mii.cch = sizeof text;
    if (!GetMenuItemInfoA(popup, i, TRUE, &mii)) continue;
    if (mii.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)) continue;
    auto item = std::make_unique<OwnerMenuItem>();
    SplitMenuText(text, &item->label, &item->shortcut);
    item->isDefault = (mii.fState & MFS_DEFAULT) != 0;
    if (!mii.hSubMenu) {
      auto found = Settings.CommandImageIndex.find(mii.wID);
      if (found != Settings.CommandImageIndex.end() && Settings.CommandImages) {
        item->image = found->second;
      }
    }
    OwnerMenuItem* owned = window.AdoptMenuItem(std::move(item));
    MENUITEMINFOA set{};
    set.cbSize = sizeof set;
    set.fMask = MIIM_FTYPE | MIIM_DATA;
    set.fType = (mii.fType & ~MFT_STRING) | MFT_OWNERDRAW;
    set.dwItemData = reinterpret_cast<ULONG_PTR>(owned);
    if (!SetMenuItemInfoA(popup, i, TRUE, &set)) window.ReleaseMenuItem(owned);
  }
}

OwnerMenuItem* OwnerMenuItemAt(HMENU menu, int position) {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_DATA;
  if (!GetMenuItemInfoA(menu, position, TRUE, &mii) || !(mii.fType & MFT_OWNERDRAW)) {
    return nullptr;
  }
  return const_cast<OwnerMenuItem*>(ItemFromData(mii.dwItemData));
}

bool MeasureMenuItem(MEASUREITEMSTRUCT* mis) {
  const OwnerMenuItem* item = ItemFromData(mis->itemData);
  if (!item) return false;
  SIZE label{}, shortcut{};
  {
    WindowDC screen(nullptr);
    const GdiObject<HFONT> font = CreateMenuFont(item->isDefault);
    SelectScope select(screen.get(), FontOrStock(font));
    label = TextExtent(screen.get(), item->label);
    shortcut = TextExtent(screen.get(), item->shortcut);
  }
  const int height = std::max<int>(kMinItemHeight, std::max(label.cy, shortcut.cy) + 4);
  mis->itemHeight = height;
  mis->itemWidth = height + kGap + label.cx + (shortcut.cx ? 3 * kGap + shortcut.cx : 0) + kGap;
  return true;
}

bool DrawMenuItem(const DRAWITEMSTRUCT* dis) {
  const OwnerMenuItem* item = ItemFromData(dis->itemData);
  if (!item) return false;
  HDC dc = dis->hDC;
  const bool grayed = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  const bool selected = (dis->itemState & ODS_SELECTED) != 0 && !grayed;
  const bool checked = (dis->itemState & ODS_CHECKED) != 0;
  const RECT& rc = dis->rcItem;

  FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  const COLORREF textColor =
      GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
  const int height = rc.bottom - rc.top;
  const RECT square{rc.left, rc.top, rc.left + height, rc.bottom};
  if (item->image >= 0 && Settings.CommandImages) {
    if (checked) {
      RECT frame = square;
      InflateRect(&frame, -1, -1);
      DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
    }
    DrawImage(dc, item->image, square, grayed);
  } else if (checked) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID, FALSE, &mii);
    DrawCheck(dc, square, (mii.fType & MFT_RADIOCHECK) != 0, textColor);
  }

  const GdiObject<HFONT> font = CreateMenuFont(item->isDefault);
  SelectScope selectFont(dc, FontOrStock(font));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, textColor);
  const bool noAccel = (dis->itemState & ODS_NOACCEL) != 0;
  RECT text{square.right + kGap, rc.top, rc.right - kGap, rc.bottom};
  DrawLabel(dc, item->label, text, DT_LEFT, grayed, noAccel);
  text.right -= kGap;
  DrawLabel(dc, item->shortcut, text, DT_RIGHT, grayed, noAccel);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  return true;
}

LRESULT MenuCharResult(HMENU menu, char key) {
  const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    const OwnerMenuItem* item = OwnerMenuItemAt(menu, i);
    if (item && MnemonicOf(item->label) == wanted) return MAKELRESULT(i, MNC_EXECUTE);
  }
  return MAKELRESULT(0, MNC_IGNORE);
}

bool OwnerDrawnMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (msg) {
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      *result = TRUE;
      return mis->CtlType == ODT_MENU && MeasureMenuItem(mis);
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      *result = TRUE;
      return dis->CtlType == ODT_MENU && DrawMenuItem(dis);
    }
    case WM_MENUCHAR:
      if (!(HIWORD(wParam) & MF_POPUP)) return false;
      *result = MenuCharResult(reinterpret_cast<HMENU>(lParam), static_cast<char>(LOWORD(wParam)));
      return HIWORD(*result) == MNC_EXECUTE;
    default: break;
  }
  return false;
}

}  // namespace qm
