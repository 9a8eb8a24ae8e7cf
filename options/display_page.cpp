// The page "Display": the font of the text panes drawn in each face, its
// size, the tab size, the seven colours and two drawing options. Every
// change is stored and handed to every open text window at once.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "app/registry.h"
#include "app/settings.h"
#include "app/window_manager.h"
#include "controls/gdi_owner.h"
#include "options/options_dialog.h"
#include "resources/resource.h"

namespace qm {

namespace {

struct ColorSetting {
  int id;
  const char* name;
  COLORREF SettingsRecord::*field;
  COLORREF standard;  // what "Defaults" restores
};

const ColorSetting kColorSettings[] = {
    {IDC_OPT_COLOR_TEXT, "TextColor", &SettingsRecord::TextColor, 0x000000},
    {IDC_OPT_COLOR_READONLY, "ReadOnlyColor", &SettingsRecord::ReadOnlyColor, 0x606060},
    {IDC_OPT_COLOR_SAME, "SameBkColor", &SettingsRecord::SameBkColor, 0xFFFFFF},
    {IDC_OPT_COLOR_EMPTY, "EmptyBkColor", &SettingsRecord::EmptyBkColor, 0xF4F4F4},
    {IDC_OPT_COLOR_LEFT, "LeftBkColor", &SettingsRecord::LeftBkColor, 0xC0DCC0},
    {IDC_OPT_COLOR_RIGHT, "RightBkColor", &SettingsRecord::RightBkColor, 0xF0CAA6},
    {IDC_OPT_COLOR_CHANGE, "ChangeBkColor", &SettingsRecord::ChangeBkColor, 0xA6CAF0},
};

const CheckSetting kDisplayChecks[] = {
    {IDC_OPT_ARROWS, "DrawArrows", &SettingsRecord::DrawArrows, false},
    {IDC_OPT_CARET_BOX, "DrawCaretBox", &SettingsRecord::DrawCaretBox, false},
};

const char* const kSizes[] = {"4",  "5",  "6",  "7",  "8",  "9",  "10", "11", "12", "14", "16",
                              "18", "20", "22", "24", "26", "28", "32", "36", "48", "72"};
constexpr int kTabSizes = 16;
constexpr int kFallbackSize = 9;  // a size outside 1 to 200

// Font list geometry, in pixels.
constexpr int kFaceHeight = 16;
constexpr int kFaceLeft = 25;
constexpr int kMarkLeft = 5;
constexpr int kMarkTop = 2;
constexpr int kFocusInset = 4;  // colour buttons

const ColorSetting* FindColor(int id) {
  for (const ColorSetting& color : kColorSettings) {
    if (color.id == id) return &color;
  }
  return nullptr;
}

HFONT MakeFaceFont(const char* face) {
  LOGFONTA lf{};
  lf.lfHeight = kFaceHeight;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = ANTIALIASED_QUALITY;
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectA(&lf);
}

std::string ComboText(HWND combo, LRESULT index) {
  const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(length));
  return text;
}

struct FontFill {
  HWND combo;
  HDC dc;
  int widest;
};

// One entry per face name whatever its pitch or character sets; the entry's
// data is the font type (TrueType entries show a mark).
int CALLBACK AddFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM param) {
  auto* fill = reinterpret_cast<FontFill*>(param);
  const char* face = font->lfFaceName;
  if (!face[0] ||
      SendMessageA(fill->combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(face)) != CB_ERR) {
    return 1;
  }
  const LRESULT index = SendMessageA(fill->combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face));
  if (index < 0) return 1;
  SendMessageA(fill->combo, CB_SETITEMDATA, static_cast<WPARAM>(index), type);
  GdiObject<HFONT> drawn(MakeFaceFont(face));
  if (drawn) {
    SelectScope selected(fill->dc, drawn.get());
    SIZE size{};
    if (GetTextExtentPoint32A(fill->dc, face, lstrlenA(face), &size)) {
      fill->widest = std::max(fill->widest, static_cast<int>(size.cx));
    }
  }
  return 1;
}

UINT_PTR CALLBACK CentreChooser(HWND dialog, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) {
    RECT box{};
    GetWindowRect(dialog, &box);
    SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (box.right - box.left)) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - (box.bottom - box.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return 0;
}

void SaveCustomColors() {
  for (int i = 0; i < 16; ++i) {
    char name[24];
    std::snprintf(name, sizeof name, "CustomColor.%d", i);
    WriteSettingDword(name, Settings.CustomColor[i]);
  }
}

class DisplayPage : public OptionsPageBase {
 public:
  DisplayPage()
      : OptionsPageBase(IDS_PAGE_DISPLAY, IDD_OPTIONS_DISPLAY, IDB_PAGE_DISPLAY,
                        IDB_PAGE_DISPLAY_MASK, "displayoptions.html") {}

  void OnInitDialog() override {
    FillFonts();
    FillSizes();
    HWND tabs = Item(IDC_OPT_TAB_SIZE);
    for (int size = 1; size <= kTabSizes; ++size) {
      const std::string text = std::to_string(size);
      SendMessageA(tabs, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(tabs, CB_SETCURSEL, static_cast<WPARAM>(Settings.TabStop - 1), 0);
    for (const CheckSetting& check : kDisplayChecks) Check(check.id, Settings.*check.field);
  }

  void OnCommand(WORD id, WORD code, HWND) override {
    if (id == IDC_OPT_FONT && code == CBN_DROPDOWN) {
      WidenFontList();
    } else if (code == CBN_SELCHANGE && id == IDC_OPT_FONT) {
      const std::string face = Selected(id);
      if (face.empty()) return;
      Settings.FontFace = face;
      WriteSettingString("FontFace", face);
      ApplyDisplaySettings();
    } else if (code == CBN_SELCHANGE && id == IDC_OPT_FONT_SIZE) {
      int size = std::atoi(Selected(id).c_str());
      if (size < 1 || size > 200) size = kFallbackSize;
      Settings.FontSize = size;
      WriteSettingDword("FontSize", static_cast<uint32_t>(size));
      ApplyDisplaySettings();
    } else if (code == CBN_SELCHANGE && id == IDC_OPT_TAB_SIZE) {
      const LRESULT index = SendMessageA(Item(id), CB_GETCURSEL, 0, 0);
      if (index < 0) return;
      Settings.TabStop = static_cast<int>(index) + 1;
      WriteSettingDword("TabStop", static_cast<uint32_t>(Settings.TabStop));
      ApplyDisplaySettings();
    } else if (code == BN_CLICKED) {
      OnClick(id);
    }
  }

  bool OnMeasureItem(MEASUREITEMSTRUCT* item) override {
    if (item->CtlID != IDC_OPT_FONT) return false;
    item->itemHeight = FaceItemHeight();
    return true;
  }

  bool OnDrawItem(const DRAWITEMSTRUCT* item) override {
    if (item->CtlID == IDC_OPT_FONT) {
      DrawFaceItem(*item);
      return true;
    }
    if (const ColorSetting* color = FindColor(static_cast<int>(item->CtlID))) {
      DrawColorButton(*item, Settings.*color->field);
      return true;
    }
    return false;
  }

 private:
  HWND Item(int id) const { return GetDlgItem(hwnd(), id); }

  std::string Selected(int id) const {
    const LRESULT index = SendMessageA(Item(id), CB_GETCURSEL, 0, 0);
    return index < 0 ? std::string() : ComboText(Item(id), index);
  }

  // Every face is drawn at a cell height of kFaceHeight.
  static UINT FaceItemHeight() { return kFaceHeight + 4; }

  void FillFonts() {
    HWND combo = Item(IDC_OPT_FONT);
    WindowDC dc(combo);
    FontFill fill{combo, dc.get(), 0};
    LOGFONTA all{};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc.get(), &all, &AddFace, reinterpret_cast<LPARAM>(&fill), 0);
    widestFace_ = fill.widest;
    // The fixed item height was measured before this page was bound.
    SendMessageA(combo, CB_SETITEMHEIGHT, 0, FaceItemHeight());
    // A face no longer installed shows the first entry; FontFace keeps its
    // value until the user chooses.
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(Settings.FontFace.c_str()));
    SendMessageA(combo, CB_SETCURSEL, index == CB_ERR ? 0 : index, 0);
  }

  void FillSizes() {
    HWND combo = Item(IDC_OPT_FONT_SIZE);
    for (const char* size : kSizes) {
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
    }
    const std::string stored = std::to_string(Settings.FontSize);
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(stored.c_str()));
    SendMessageA(combo, CB_SETCURSEL, index == CB_ERR ? 0 : index, 0);
  }

  // The open list is as wide as the widest face, but stays on the screen.
  void WidenFontList() const {
    HWND combo = Item(IDC_OPT_FONT);
    RECT box{};
    GetWindowRect(combo, &box);
    int width = widestFace_ + kFaceLeft + GetSystemMetrics(SM_CXVSCROLL) +
                2 * GetSystemMetrics(SM_CXEDGE);
    width = std::min(width, static_cast<int>(GetSystemMetrics(SM_CXSCREEN) - box.left));
    width = std::max(width, static_cast<int>(box.right - box.left));
    SendMessageA(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
  }

  void DrawFaceItem(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    const RECT& rc = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != static_cast<UINT>(-1)) {
      const std::string face = ComboText(item.hwndItem, item.itemID);
      if (item.itemData & TRUETYPE_FONTTYPE) {
        DrawOptionsPicture(dc, rc.left + kMarkLeft, rc.top + kMarkTop, IDB_PAGE_DISPLAY,
                           IDB_PAGE_DISPLAY_MASK, 1);
      }
      GdiObject<HFONT> font(MakeFaceFont(face.c_str()));
      SelectScope selectedFont(dc, font ? font.get() : GetStockObject(DEFAULT_GUI_FONT));
      SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
      SetBkMode(dc, TRANSPARENT);
      RECT text = rc;
      text.left += kFaceLeft;
      DrawTextA(dc, face.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
  }

  static void DrawColorButton(const DRAWITEMSTRUCT& item, COLORREF color) {
    RECT rc = item.rcItem;
    DrawEdge(item.hDC, &rc, (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED,
             BF_RECT | BF_ADJUST);
    GdiObject<HBRUSH> fill(CreateSolidBrush(color));
    if (fill) FillRect(item.hDC, &rc, fill.get());
    if (item.itemState & ODS_FOCUS) {
      RECT focus = item.rcItem;
      InflateRect(&focus, -kFocusInset, -kFocusInset);
      DrawFocusRect(item.hDC, &focus);
    }
  }

  void OnClick(int id) {
    if (const ColorSetting* color = FindColor(id)) {
      ChooseColour(*color);
    } else if (id == IDC_OPT_COLOR_DEFAULTS) {
      // Only the seven colours: the font, sizes, check boxes and custom
      // colours stay as they are.
      for (const ColorSetting& each : kColorSettings) StoreColor(each, each.standard);
      ApplyDisplaySettings();
    } else if (const CheckSetting* check = FindCheck(kDisplayChecks, std::size(kDisplayChecks), id)) {
      StoreFlag(*check, Checked(id));
      ApplyDisplaySettings();
    }
  }

  void StoreColor(const ColorSetting& color, COLORREF value) const {
    Settings.*color.field = value;
    WriteSettingDword(color.name, value);
    InvalidateRect(Item(color.id), nullptr, FALSE);
  }

  void ChooseColour(const ColorSetting& color) {
    CHOOSECOLORA chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = GetAncestor(hwnd(), GA_ROOT);
    chooser.rgbResult = Settings.*color.field;
    chooser.lpCustColors = Settings.CustomColor;
    chooser.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;
    chooser.lpfnHook = &CentreChooser;
    const bool chosen = ChooseColorA(&chooser) != FALSE;
    // The chooser may have changed the custom colours even when cancelled.
    SaveCustomColors();
    if (!chosen) return;
    StoreColor(color, chooser.rgbResult);
    ApplyDisplaySettings();
  }

  int widestFace_ = 0;
};

}  // namespace

std::unique_ptr<OptionsPageBase> NewDisplayPage() { return std::make_unique<DisplayPage>(); }

}  // namespace qm
