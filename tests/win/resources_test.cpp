// Checks the compiled resources of compare.exe, linked into this test from
// the same object library: every id of resources/resource.h has its
// resource, menus agree with the accelerator tables, pictures have the sizes
// the drawing code relies on, dialogs create with their controls, and the
// tips parse the way the tips dialog reads them.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

std::string LoadText(UINT id) {
  char buffer[4096];
  int n = LoadStringA(Module(), id, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

// The #define lines of resource.h, names resolved to numbers (a macro may
// name an earlier one). Read at run time so that a new id is checked
// without editing this test.
std::map<std::string, long> ResourceHeaderIds() {
  std::string path = QM_RESOURCE_H;
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f && path[0] == '/') f = std::fopen(("Z:" + path).c_str(), "r");
  std::map<std::string, long> ids;
  if (!f) return ids;
  char line[512];
  while (std::fgets(line, sizeof line, f)) {
    char name[128], value[128];
    if (std::sscanf(line, "#define %127s %127s", name, value) != 2) continue;
    char* end = nullptr;
    long number = std::strtol(value, &end, 10);
    if (end != value && *end == '\0') {
      ids[name] = number;
    } else if (ids.count(value)) {
      ids[name] = ids[value];
    }
  }
  std::fclose(f);
  return ids;
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

bool IsCommand(long id) {
  static const long ranges[][2] = {{20000, 20010}, {20100, 20111}, {20200, 20215},
                                   {20300, 20302}, {20500, 20516}, {20600, 20605},
                                   {20700, 20709}, {25003, 25003}};
  for (auto& r : ranges)
    if (id >= r[0] && id <= r[1]) return true;
  return false;
}

TEST(StringTable, EveryStringAndCommandIdOfTheHeaderLoads) {
  auto ids = ResourceHeaderIds();
  ASSERT_GT(ids.size(), 300u) << "could not read " << QM_RESOURCE_H;
  int strings = 0, commands = 0;
  for (auto& [name, id] : ids) {
    if (StartsWith(name, "IDS_")) {
      ++strings;
      EXPECT_FALSE(LoadText(id).empty()) << name << " (" << id << ") has no string";
    } else if (StartsWith(name, "ID_") && IsCommand(id)) {
      // Tool bars and menus take a command's tooltip from its string: the
      // text after the line feed, at most 79 characters.
      ++commands;
      std::string text = LoadText(id);
      auto lf = text.find('\n');
      ASSERT_NE(lf, std::string::npos) << name << ": \"" << text << "\" has no tooltip part";
      std::string tip = text.substr(lf + 1);
      EXPECT_FALSE(tip.empty()) << name;
      EXPECT_LE(tip.size(), 79u) << name;
    }
  }
  EXPECT_GT(strings, 100);
  EXPECT_GT(commands, 60);
}

TEST(StringTable, MessagesKeepTheirEscapesAndInserts) {
  struct Case {
    UINT id;
    const char* text;
  } cases[] = {
      {IDS_PRODUCT_NAME, "Quillmere"},
      {IDS_WINDOW_TITLE, "%1 - [%2, %3]"},
      {IDS_RECENT_PAIR, "%1 <---> %2"},
      {IDS_FILTER_HTML, "HTML Files (*.html;*.htm)|*.html;*.htm|All Files (*.*)|*.*||"},
      // The message box breaks the lines of a paragraph itself: a break of
      // our own inside a sentence lands after its wrap, a few words on a line.
      {IDS_OUT_OF_MEMORY,
       "The operation could not be performed because your computer has not enough free "
       "memory left.\n\nPlease close as many windows and applications as possible and try "
       "again."},
      {IDS_LEFT_NOT_LOADED, "Cannot load left file.\n\nReason: %1"},
      {IDS_OLD_NOT_FOLDER, "'Old Folder' is not a folder."},
      {IDS_STATUS_CARET, "Virt %1!ld!, Ln %2!ld!, Col %3!ld!"},
      {IDS_COMMAND_LINE_HELP,
       "Using Quillmere from the command line:\n\nComparing files:\n    compare.exe [options] "
       "file1 file2\n\nComparing folders:\n    compare.exe [options] folder1 folder2\n\n"
       "Options:\n    /?\tthis help"},
      {IDS_TAB_CHANGED_COUNT, "Changed (%1!ld!)"},
      {IDS_MENU_UNDO_NAMED, "&Undo %1"},
      {IDC_GO_UP_NEW, "Go up one folder"},
      {ID_FILE_NEW_TEXT_WINDOW, "Open a new text editor window\nNew Text Window"},
  };
  for (auto& c : cases) EXPECT_EQ(LoadText(c.id), c.text) << "string " << c.id;
}

// ---- Menus and accelerators -------------------------------------------

struct Accel {
  BYTE virt;
  WORD key;
  WORD cmd;
};

std::vector<Accel> LoadAccelerators(UINT id) {
  std::vector<Accel> out;
  HACCEL table = LoadAcceleratorsA(Module(), MAKEINTRESOURCEA(id));
  if (!table) return out;
  std::vector<ACCEL> entries(CopyAcceleratorTableA(table, nullptr, 0));
  CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
  for (auto& e : entries) out.push_back({static_cast<BYTE>(e.fVirt & ~0x80), e.key, e.cmd});
  return out;
}

constexpr BYTE C = FCONTROL, S = FSHIFT, A = FALT, V = FVIRTKEY | FNOINVERT;

TEST(Accelerators, TablesHoldExactlyTheKeysOfEachWindowKind) {
  struct Table {
    UINT id;
    std::vector<Accel> keys;
  } tables[] = {
      {IDR_ACCEL_TEXT,
       {{V | C, 'D', 20001},       {V | C, 'F', 20107},         {V | C, 'N', 20000},
        {V | C, 'P', 20006},       {V | C, 'Q', 20009},         {V | C, 'S', 20501},
        {V | A, VK_BACK, 20100},   {V | C, VK_DELETE, 20509},   {V | A, VK_DELETE, 20509},
        {V | S, VK_DELETE, 20102}, {V | C | S, VK_DELETE, 20506}, {V | A | S, VK_DELETE, 20509},
        {V, VK_F12, 20502},        {V, VK_F3, 20108},           {V | C, VK_F3, 20109},
        {V, VK_F4, 20206},         {V, VK_F5, 20212},           {V, VK_F7, 20210},
        {V | C, VK_F7, 20507},     {V, VK_F8, 20211},           {V | C, VK_F8, 20508},
        {V | C, VK_INSERT, 20103}, {V | S, VK_INSERT, 20104},   {V | A, VK_LEFT, 20507},
        {V | A | S, VK_LEFT, 20507}, {V | A, VK_RIGHT, 20508},  {V | A | S, VK_RIGHT, 20508},
        {V | C, 'W', 20008},       {V | C, 'Y', 20101},         {V | C, 'Z', 20100}}},
      {IDR_ACCEL_FOLDER,
       {{V | C, 'A', 20106}, {V | C, 'D', 20001}, {V | C, 'N', 20000}, {V | C, 'Q', 20009},
        {V | A, VK_BACK, 20100}, {V, VK_F5, 20212}, {V | C, 'W', 20008}, {V | C, 'Z', 20100}}},
  };
  for (auto& t : tables) {
    auto got = LoadAccelerators(t.id);
    ASSERT_EQ(got.size(), t.keys.size()) << "table " << t.id;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].virt, t.keys[i].virt) << "table " << t.id << " entry " << i;
      EXPECT_EQ(got[i].key, t.keys[i].key) << "table " << t.id << " entry " << i;
      EXPECT_EQ(got[i].cmd, t.keys[i].cmd) << "table " << t.id << " entry " << i;
    }
  }
}

// A menu as text: popups in brackets, separators as "-", items by id.
std::string Describe(HMENU menu) {
  std::string out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (!out.empty()) out += ' ';
    if (HMENU sub = GetSubMenu(menu, i)) {
      out += "[" + Describe(sub) + "]";
    } else {
      UINT id = GetMenuItemID(menu, i);
      MENUITEMINFOA info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE;
      GetMenuItemInfoA(menu, i, TRUE, &info);
      out += (info.fType & MFT_SEPARATOR) ? "-" : std::to_string(id);
    }
  }
  return out;
}

struct MenuItem {
  UINT id;
  std::string text;
};

void CollectItems(HMENU menu, std::vector<MenuItem>& items) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      CollectItems(sub, items);
      continue;
    }
    char text[256] = "";
    if (GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION) > 0)
      items.push_back({GetMenuItemID(menu, i), text});
  }
}

TEST(Menus, BarsListTheCommandsInOrder) {
  struct Case {
    UINT id;
    const char* layout;
  } cases[] = {
      {IDR_MENU_TEXT,
       "[20000 20001 - 20002 - 20503 20003 - 20006 20010 - 20008 20009] "
       "[20100 20101 - 20102 20103 20104 20105 - 20106 - 20107 20108 20109 - 20110 20111] "
       "[20200 20215 20201 - 20202 20203 20205 [20207 20208 20209] - 20210 20211 - 20212 20213 "
       "- 20214] "
       "[20300 20301 20302 -] "
       "[20700 20701 25003 - 20704 20702 20709 - 20705]"},
      {IDR_MENU_FOLDER,
       "[20000 20001 - 20002 - 20008 20009] [20200 20215 20201 - 20212 20213 - 20214] "
       "[20300 20301 20302 -] [20700 20701 25003 - 20704 20702 20709 - 20705]"},
  };
  for (auto& c : cases) {
    HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(c.id));
    ASSERT_TRUE(menu) << "menu " << c.id;
    EXPECT_EQ(Describe(menu), c.layout) << "menu " << c.id;
    DestroyMenu(menu);
  }
}

TEST(Menus, PopupTitlesAndItemTexts) {
  HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_MENU_TEXT));
  ASSERT_TRUE(menu);
  const char* titles[] = {"&File", "&Edit", "&View", "&Window", "&Help"};
  for (int i = 0; i < 5; ++i) {
    char text[64] = "";
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, titles[i]);
  }
  std::vector<MenuItem> items;
  CollectItems(menu, items);
  std::map<UINT, std::string> byId;
  for (auto& item : items) byId[item.id] = item.text;
  EXPECT_EQ(byId[20000], "New &Text Window\tCtrl+N");
  EXPECT_EQ(byId[20109], "Find Pre&v\tCtrl+F3");
  EXPECT_EQ(byId[20110], "R&eplace <--");
  EXPECT_EQ(byId[20111], "Repl&ace -->");
  EXPECT_EQ(byId[20700], "&User's Manual\tF1");
  EXPECT_EQ(byId[25003], "&Tip of the Day...");
  DestroyMenu(menu);
}

// Parses the shortcut after the tab of a menu item ("Ctrl+Shift+Del").
bool ParseShortcut(const std::string& text, Accel& out) {
  static const std::map<std::string, WORD> named = {
      {"Del", VK_DELETE}, {"Ins", VK_INSERT}, {"Backspace", VK_BACK}, {"Left", VK_LEFT},
      {"Right", VK_RIGHT}, {"F1", VK_F1},     {"F3", VK_F3},          {"F4", VK_F4},
      {"F5", VK_F5},      {"F7", VK_F7},      {"F8", VK_F8},          {"F12", VK_F12}};
  out = {FVIRTKEY | FNOINVERT, 0, 0};
  std::string rest = text;
  for (;;) {
    auto plus = rest.find('+');
    if (plus == std::string::npos) break;
    std::string mod = rest.substr(0, plus);
    if (mod == "Ctrl") out.virt |= FCONTROL;
    else if (mod == "Shift") out.virt |= FSHIFT;
    else if (mod == "Alt") out.virt |= FALT;
    else return false;
    rest = rest.substr(plus + 1);
  }
  if (rest.size() == 1 && isupper(static_cast<unsigned char>(rest[0]))) {
    out.key = static_cast<WORD>(rest[0]);
    return true;
  }
  auto it = named.find(rest);
  if (it == named.end()) return false;
  out.key = it->second;
  return true;
}

TEST(Menus, ShortcutTextsMatchTheWindowsAcceleratorTable) {
  // Keys the text pane handles itself, and F1 (WM_HELP), have no entry.
  const std::set<std::string> paneKeys = {"Ctrl+X", "Ctrl+C", "Ctrl+V", "Del", "Ctrl+A", "F1"};
  struct Case {
    UINT menu, accel;
  } cases[] = {{IDR_MENU_TEXT, IDR_ACCEL_TEXT},        {IDR_MENU_FOLDER, IDR_ACCEL_FOLDER},
               {IDR_MENU_PANE_LEFT, IDR_ACCEL_TEXT},   {IDR_MENU_PANE_RIGHT, IDR_ACCEL_TEXT},
               {IDR_MENU_PANE_FILLER, IDR_ACCEL_TEXT}, {IDR_MENU_PANE_SAME, IDR_ACCEL_TEXT}};
  for (auto& c : cases) {
    HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(c.menu));
    ASSERT_TRUE(menu) << "menu " << c.menu;
    auto table = LoadAccelerators(c.accel);
    std::vector<MenuItem> items;
    CollectItems(menu, items);
    for (auto& item : items) {
      EXPECT_TRUE(IsCommand(item.id)) << "menu " << c.menu << ": " << item.text;
      EXPECT_FALSE(LoadText(item.id).empty()) << "no tooltip for " << item.text;
      auto tab = item.text.find('\t');
      if (tab == std::string::npos) continue;
      std::string keys = item.text.substr(tab + 1);
      if (c.menu == IDR_MENU_TEXT && paneKeys.count(keys)) continue;
      if (keys == "F1") continue;
      Accel wanted;
      ASSERT_TRUE(ParseShortcut(keys, wanted)) << item.text;
      bool found = false;
      for (auto& a : table)
        found |= a.virt == wanted.virt && a.key == wanted.key && a.cmd == item.id;
      EXPECT_TRUE(found) << "menu " << c.menu << ": \"" << item.text
                         << "\" shows a key the accelerator table does not give it";
    }
    DestroyMenu(menu);
  }
}

TEST(Menus, PaneMenusOfferTheirSidesCopyDirection) {
  struct Case {
    UINT menu;
    UINT present, absent;
  } cases[] = {{IDR_MENU_PANE_LEFT, 20508, 20507},
               {IDR_MENU_PANE_RIGHT, 20507, 20508},
               {IDR_MENU_PANE_SAME, 20506, 20507}};
  for (auto& c : cases) {
    HMENU bar = LoadMenuA(Module(), MAKEINTRESOURCEA(c.menu));
    ASSERT_TRUE(bar);
    HMENU popup = GetSubMenu(bar, 0);
    ASSERT_TRUE(popup) << "menu " << c.menu << " has no popup";
    EXPECT_NE(GetMenuState(popup, c.present, MF_BYCOMMAND), UINT(-1)) << c.menu;
    EXPECT_EQ(GetMenuState(popup, c.absent, MF_BYCOMMAND), UINT(-1)) << c.menu;
    for (UINT id : {20501u, 20502u, 20503u, 20512u, 20513u, 20514u})
      EXPECT_NE(GetMenuState(popup, id, MF_BYCOMMAND), UINT(-1)) << c.menu << " lacks " << id;
    DestroyMenu(bar);
  }
}

// ---- Pictures ---------------------------------------------------------

struct Bitmap {
  int width = 0, height = 0, bits = 0;
  std::vector<COLORREF> pixels;  // top-down, only for colour bitmaps
  COLORREF At(int x, int y) const { return pixels[y * width + x]; }
};

Bitmap LoadBitmapPixels(UINT id) {
  Bitmap out;
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return out;
  DIBSECTION dib;
  GetObjectA(bitmap, sizeof dib, &dib);
  out.width = dib.dsBm.bmWidth;
  out.height = dib.dsBm.bmHeight;
  out.bits = dib.dsBm.bmBitsPixel;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = out.width;
  info.bmiHeader.biHeight = -out.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> raw(out.width * out.height);
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bitmap, 0, out.height, raw.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  for (DWORD p : raw) out.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
  DeleteObject(bitmap);
  return out;
}

TEST(Pictures, StripsHoldOneDrawnImagePerSlot) {
  struct Case {
    UINT id;
    int images;
  } cases[] = {{IDB_TOOLBAR, 17}, {IDB_STRIP_MAIN, 11}, {IDB_STRIP_HELP, 8},
               {IDB_STRIP_EDIT, 19}, {IDB_STRIP_FOLDER, 6}};
  const COLORREF key = RGB(255, 0, 255);
  for (auto& c : cases) {
    Bitmap b = LoadBitmapPixels(c.id);
    ASSERT_EQ(b.width, 16 * c.images) << "strip " << c.id;
    ASSERT_EQ(b.height, 15) << "strip " << c.id;
    for (int image = 0; image < c.images; ++image) {
      int drawn = 0, transparent = 0;
      for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 16; ++x) (b.At(image * 16 + x, y) == key ? transparent : drawn)++;
      EXPECT_GT(drawn, 20) << "strip " << c.id << " image " << image << " is empty";
      EXPECT_GT(transparent, 0) << "strip " << c.id << " image " << image
                                << " has no magenta background";
    }
  }
}

TEST(Pictures, MaskedImagesMatchTheirMasks) {
  struct Case {
    UINT image;
    int width, height;
  } cases[] = {{IDB_MODIFIED, 9, 11},       {IDB_READONLY, 9, 11},
               {IDB_BROWSE, 16, 15},        {IDB_GO_UP, 16, 15},
               {IDB_MARK_OPENED, 9, 9},     {IDB_MARK_COPIED_TO_OLD, 9, 9},
               {IDB_MARK_COPIED_TO_NEW, 9, 9}, {IDB_MARK_DELETED, 9, 9},
               {IDB_PAGE_TEXT, 16, 15},     {IDB_PAGE_FOLDERS, 16, 15},
               {IDB_PAGE_DISPLAY, 16, 15},  {IDB_PAGE_MISC, 16, 15}};
  for (auto& c : cases) {
    Bitmap image = LoadBitmapPixels(c.image);
    Bitmap mask = LoadBitmapPixels(c.image + 1);
    ASSERT_EQ(image.width, c.width) << c.image;
    ASSERT_EQ(image.height, c.height) << c.image;
    ASSERT_EQ(mask.width, c.width) << c.image + 1;
    ASSERT_EQ(mask.height, c.height) << c.image + 1;
    EXPECT_EQ(mask.bits, 1) << "mask " << c.image + 1 << " is not monochrome";
    // Drawn with SRCAND (mask) then SRCPAINT (image): the image must be
    // black wherever the mask lets the background through.
    int opaque = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        bool clear = mask.At(x, y) == RGB(255, 255, 255);
        if (clear) {
          EXPECT_EQ(image.At(x, y), RGB(0, 0, 0)) << c.image << " at " << x << "," << y;
        }
        opaque += !clear;
      }
    EXPECT_GT(opaque, 8) << "picture " << c.image << " shows nothing";
  }
}

TEST(Pictures, PatternBulbIconAndCursors) {
  Bitmap pattern = LoadBitmapPixels(IDB_DIVIDER_PATTERN);
  EXPECT_EQ(pattern.width, 8);
  EXPECT_EQ(pattern.height, 8);
  // The tips dialog swaps the bulb's white for the shadow colour; the bulb
  // itself must have no pure white in it.
  Bitmap bulb = LoadBitmapPixels(IDB_TIP_BULB);
  ASSERT_GT(bulb.width, 0);
  EXPECT_EQ(bulb.At(0, 0), RGB(255, 255, 255));
  int lit = 0;
  for (COLORREF p : bulb.pixels) lit += p != RGB(255, 255, 255);
  EXPECT_GT(lit, bulb.width * bulb.height / 5);

  for (int size : {16, 32}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(Module(), MAKEINTRESOURCEA(IDI_COMPARE), IMAGE_ICON, size, size, 0));
    ASSERT_TRUE(icon) << "icon " << size;
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm;
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }

  struct Cursor {
    UINT id;
    DWORD x, y;
  } cursors[] = {{IDCUR_GUTTER, 15, 0}, {IDCUR_DROP_SAME, 0, 0}, {IDCUR_DROP_OTHER, 0, 0}};
  for (auto& c : cursors) {
    HCURSOR cursor = LoadCursorA(Module(), MAKEINTRESOURCEA(c.id));
    ASSERT_TRUE(cursor) << "cursor " << c.id;
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, c.x) << "cursor " << c.id;
    EXPECT_EQ(info.yHotspot, c.y) << "cursor " << c.id;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
}

// ---- Dialogs ----------------------------------------------------------

INT_PTR CALLBACK PassiveProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The DLGTEMPLATEEX header: size in dialog units, caption and font.
struct Template {
  int cx = 0, cy = 0, points = 0;
  std::string caption, face;
};

std::string ReadWide(const WORD*& p) {
  std::string out;
  while (*p) out += static_cast<char>(*p++);
  ++p;
  return out;
}

Template ReadTemplate(UINT id) {
  Template t;
  HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
  if (!found) return t;
  auto p = static_cast<const WORD*>(LockResource(LoadResource(Module(), found)));
  if (p[1] != 0xFFFF) return t;  // not DIALOGEX
  const WORD* q = p + 8;  // version, signature, help id, extended style, style
  ++q;                    // item count
  q += 2;                 // x, y
  t.cx = static_cast<short>(*q++);
  t.cy = static_cast<short>(*q++);
  if (*q == 0xFFFF) q += 2; else ReadWide(q);  // menu
  if (*q == 0xFFFF) q += 2; else ReadWide(q);  // class
  t.caption = ReadWide(q);
  t.points = *q++;
  q += 2;  // weight, italic and charset
  t.face = ReadWide(q);
  return t;
}

std::string ControlText(HWND dialog, int id) {
  char text[256] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

TEST(Dialogs, TemplatesHaveTheirSizeCaptionAndFont) {
  struct Case {
    UINT id;
    const char* caption;
    int cx, cy;
  } cases[] = {{IDD_PROGRESS, "Please wait...", 186, 51},
               {IDD_EXPORT, "Export", 0, 0},
               {IDD_ABOUT, "About Quillmere", 0, 0},
               {IDD_TIPS, "Tip of the day", 0, 0},
               {IDD_OPTIONS, "Options", 317, 201},
               {IDD_OPTIONS_TEXT, "", 216, 191},
               {IDD_OPTIONS_FOLDERS, "", 216, 191},
               {IDD_OPTIONS_MISC, "", 216, 191},
               {IDD_OPTIONS_DISPLAY, "", 216, 191},
               {IDD_PRINTING, "Quillmere", 0, 0},
               {IDD_PAGE_SETUP, "Page setup", 0, 0},
               {IDD_PREVIEW, "Print preview", 0, 0}};
  for (auto& c : cases) {
    Template t = ReadTemplate(c.id);
    EXPECT_EQ(t.caption, c.caption) << "dialog " << c.id;
    EXPECT_EQ(t.face, "MS Sans Serif") << "dialog " << c.id;
    EXPECT_EQ(t.points, 8) << "dialog " << c.id;
    if (c.cx) {
      EXPECT_EQ(t.cx, c.cx) << "dialog " << c.id;
      EXPECT_EQ(t.cy, c.cy) << "dialog " << c.id;
    }
  }
}

TEST(Dialogs, CreateWithTheirControls) {
  struct Control {
    int id;
    const char* text;  // nullptr: only its presence is checked
  };
  struct Case {
    UINT id;
    std::vector<Control> controls;
  } cases[] = {
      {IDD_PROGRESS,
       {{IDCANCEL, "Cancel"},
        {IDC_PROGRESS_TEXT, "Please wait while comparing..."},
        {IDC_PROGRESS_BAR, nullptr}}},
      {IDD_EXPORT,
       {{IDC_EXPORT_EVERYTHING, "&Everything"},
        {IDC_EXPORT_CONTEXT, "&Context (diffs and surrounding lines)"},
        {IDC_EXPORT_DIFFS, "&Differences only"},
        {IDC_EXPORT_FILE, ""},
        {IDC_EXPORT_BROWSE, "&Browse..."},
        {IDOK, "OK"},
        {IDCANCEL, "Cancel"}}},
      {IDD_ABOUT,
       {{IDCANCEL, "&Close"},
        {IDC_ABOUT_PICTURE, nullptr},
        {IDC_ABOUT_VERSION, "Version 2.3a"},
        {IDC_ABOUT_DATE, "November 15, 2004"},
        {IDC_ABOUT_RULE, nullptr},
        {IDC_ABOUT_WEBSITE, nullptr},
        {IDC_ABOUT_SUPPORT, nullptr}}},
      {IDD_TIPS,
       {{IDC_TIP_SHOW_ON_STARTUP, "&Show tips on startup"},
        {IDC_TIP_NEXT, "&Next Tip"},
        {IDCANCEL, "&Close"},
        {IDC_TIP_FRAME, nullptr},
        {IDC_TIP_PICTURE, nullptr},
        {IDC_TIP_HEADER, nullptr},
        {IDC_TIP_TEXT, "(no tips found)"}}},
      {IDD_OPTIONS, {{IDC_OPTIONS_PAGES, nullptr}}},
      {IDD_OPTIONS_TEXT,
       {{IDC_OPT_IGNORE_CASE, "Treat &upper and lower case as the same"},
        {IDC_OPT_BLANKS_ALL, "Ignore &all differences"},
        {IDC_OPT_BLANKS_MULTIPLE, "Ignore &multiple blanks"},
        {IDC_OPT_BLANKS_START, "Ignore at line &start"},
        {IDC_OPT_BLANKS_END, "Ignore at line &end"},
        {IDC_OPT_COMPARE_CHANGES, "&Try to recognize \"changed\" lines"},
        {IDC_OPT_HIGHLIGHT, "&Highlight differences in changed lines"}}},
      {IDD_OPTIONS_FOLDERS,
       {{IDC_OPT_FOLDER_UNDO, "E&nable undo/redo"},
        {IDC_OPT_NAME_CASE, "Treat &upper and lower case file names as the same"},
        {IDC_OPT_SUBFOLDERS, "&Look into subfolders"},
        {IDC_OPT_FILE_ATTRIBS, "&Attributes (hidden, read-only)"},
        {IDC_OPT_FILE_DATE, "&Modification date and time"},
        {IDC_OPT_FILE_SIZE, "File &size"},
        {IDC_OPT_CONTENTS_QUICK, "Contents (&quick)"},
        {IDC_OPT_CONTENTS_FULL, "Contents (&full)"},
        {IDC_OPT_FOLDER_ATTRIBS, "A&ttributes (hidden, read-only)"},
        {IDC_OPT_FOLDER_DATE, "Modification &date and time"},
        {IDC_OPT_HAVE_INCLUDE, "&Include only the following files and folders:"},
        {IDC_OPT_INCLUDE, nullptr},
        {IDC_OPT_HAVE_EXCLUDE, "&Exclude the following files and folders:"},
        {IDC_OPT_EXCLUDE, nullptr}}},
      {IDD_OPTIONS_DISPLAY,
       {{IDC_OPT_FONT, nullptr},         {IDC_OPT_FONT_SIZE, nullptr},
        {IDC_OPT_TAB_SIZE, nullptr},     {IDC_OPT_COLOR_TEXT, nullptr},
        {IDC_OPT_COLOR_READONLY, nullptr}, {IDC_OPT_COLOR_SAME, nullptr},
        {IDC_OPT_COLOR_EMPTY, nullptr},  {IDC_OPT_COLOR_LEFT, nullptr},
        {IDC_OPT_COLOR_RIGHT, nullptr},  {IDC_OPT_COLOR_CHANGE, nullptr},
        {IDC_OPT_COLOR_DEFAULTS, "&Defaults"},
        {IDC_OPT_ARROWS, "Draw diffs as colored &arrows"},
        {IDC_OPT_CARET_BOX, "Draw &box around active line"}}},
      {IDD_OPTIONS_MISC,
       {{IDC_OPT_IDENTICAL_MSG, "Show &message if files or folders are identical"},
        {IDC_OPT_ASK_CONFIRM, "Ask for &confirmation before closing modified files"},
        {IDC_OPT_SMART_REFRESH, "Sm&art refresh"},
        {IDC_OPT_SCROLL_FIRST, "Automatically &scroll to first difference (on refresh)"},
        {IDC_OPT_WRAP_AROUND, "&Wrap Next/Prev Diff commands"},
        {IDC_OPT_DROP_DELETE, "&Delete text when dropped outside window"},
        {IDC_OPT_DBLCLICK, "D&ouble-click in folder window to perform default action"},
        {IDC_OPT_SEARCH_SELECTED, "Sea&rch for selected text (not last-searched-for text)"},
        {IDC_OPT_JUMP_NEXT, "&Jump to next diff after merge command"},
        {IDC_OPT_ALLOW_BINARY, "Allow comparison of &binary files"},
        {IDC_OPT_REUSE_TEXT, "Do not open multiple &text windows"},
        {IDC_OPT_REUSE_FOLDER, "Do not open multiple &folder windows"},
        {IDC_OPT_ESC_QUITS, "<&Esc> quits the application"}}},
      {IDD_PRINTING, {{IDC_PRINTING_STATUS, ""}, {IDCANCEL, "Cancel"}}},
      {IDD_PAGE_SETUP,
       {{IDC_PAGE_SCALE, nullptr}, {IDC_PAGE_PRINTER_SETUP, "Printer setup..."},
        {IDOK, "OK"}, {IDCANCEL, "Cancel"}}},
      {IDD_PREVIEW,
       {{IDCANCEL, "&Close"}, {IDC_PREVIEW_PRINT, "&Print..."}, {IDC_PREVIEW_SETUP, "&Setup..."},
        {IDC_PREVIEW_PREV, "<<"}, {IDC_PREVIEW_NEXT, ">>"}, {IDC_PREVIEW_PANE, nullptr}}},
  };
  // The preview's pane is a class of the program's own.
  WNDCLASSA pane = {};
  pane.lpfnWndProc = DefWindowProcA;
  pane.hInstance = Module();
  pane.lpszClassName = "PreviewPane";
  RegisterClassA(&pane);
  // Options pages are child dialogs of the Options dialog.
  HWND options = CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_OPTIONS), nullptr,
                                    PassiveProc, 0);
  ASSERT_TRUE(options);
  for (auto& c : cases) {
    bool page = c.id >= IDD_OPTIONS_TEXT && c.id <= IDD_OPTIONS_DISPLAY;
    HWND dialog = CreateDialogParamA(Module(), MAKEINTRESOURCEA(c.id), page ? options : nullptr,
                                     PassiveProc, 0);
    ASSERT_TRUE(dialog) << "dialog " << c.id << " error " << GetLastError();
    for (auto& control : c.controls) {
      HWND item = GetDlgItem(dialog, control.id);
      EXPECT_TRUE(item) << "dialog " << c.id << " lacks control " << control.id;
      if (item && control.text) {
        EXPECT_EQ(ControlText(dialog, control.id), control.text) << "dialog " << c.id;
      }
    }
    if (page) {
      LONG style = GetWindowLongA(dialog, GWL_STYLE);
      EXPECT_TRUE(style & WS_CHILD) << "page " << c.id;
      EXPECT_FALSE(style & WS_CAPTION) << "page " << c.id;
    }
    DestroyWindow(dialog);
  }
  DestroyWindow(options);
}

TEST(Dialogs, TipTextsLieAboveTheWhiteArea) {
  // The white area paints over whatever is below it in z-order.
  HWND dialog = CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_TIPS), nullptr, PassiveProc, 0);
  ASSERT_TRUE(dialog);
  std::vector<int> order;
  for (HWND w = GetWindow(dialog, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    order.push_back(GetDlgCtrlID(w));
  auto at = [&](int id) { return std::find(order.begin(), order.end(), id) - order.begin(); };
  EXPECT_LT(at(IDC_TIP_HEADER), at(IDC_TIP_FRAME));
  EXPECT_LT(at(IDC_TIP_TEXT), at(IDC_TIP_FRAME));
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, IDC_TIP_FRAME), GWL_STYLE) & WS_CLIPSIBLINGS);
  DestroyWindow(dialog);
}

// ---- Tips, version, manifest ------------------------------------------

std::string ResourceBytes(LPCSTR name, LPCSTR type) {
  HRSRC found = FindResourceA(Module(), name, type);
  if (!found) return {};
  auto data = static_cast<const char*>(LockResource(LoadResource(Module(), found)));
  return std::string(data, SizeofResource(Module(), found));
}

// The tips dialog's reading: "\n" is a line break, any other backslash
// is dropped and keeps the next character; a tab ends the text.
std::string DecodeTip(const std::string& line) {
  std::string out;
  for (size_t i = 0; i < line.size() && line[i] != '\t'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      ++i;
      out += line[i] == 'n' ? '\n' : line[i];
    } else {
      out += line[i];
    }
  }
  return out;
}

TEST(Tips, EveryLineIsOneReadableTip) {
  std::string tips = ResourceBytes(MAKEINTRESOURCEA(IDR_TIPS), "TIPS");
  ASSERT_FALSE(tips.empty());
  ASSERT_GE(tips.size(), 2u);
  EXPECT_EQ(tips.substr(tips.size() - 2), "\r\n") << "the last tip must end its line";
  int count = 0;
  size_t start = 0;
  while (start < tips.size()) {
    size_t lf = tips.find('\n', start);
    ASSERT_NE(lf, std::string::npos);
    ASSERT_GT(lf, start);
    EXPECT_EQ(tips[lf - 1], '\r') << "tip " << count + 1 << " does not end in CR LF";
    std::string line = tips.substr(start, lf - 1 - start);
    std::string tip = DecodeTip(line);
    EXPECT_GT(tip.size(), 20u) << "tip " << count + 1;
    EXPECT_LT(tip.size(), 400u) << "tip " << count + 1 << " does not fit the dialog";
    EXPECT_EQ(line.find('\t'), std::string::npos) << "a tab would cut tip " << count + 1;
    EXPECT_EQ(tip.find('\r'), std::string::npos);
    ++count;
    start = lf + 1;
  }
  EXPECT_GE(count, 15);
}

TEST(VersionAndManifest, NameTheProductAndCommonControls) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  DWORD handle = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(path, &handle));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), info.data()));
  struct Value {
    const char* key;
    const char* text;
  } values[] = {{"ProductName", "Quillmere"}, {"ProductVersion", "2.3a"},
                {"OriginalFilename", "compare.exe"}};
  for (auto& v : values) {
    char* text = nullptr;
    UINT length = 0;
    std::string key = std::string("\\StringFileInfo\\040904b0\\") + v.key;
    ASSERT_TRUE(
        VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&text), &length))
        << v.key;
    EXPECT_STREQ(text, v.text);
  }

  std::string manifest = ResourceBytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
}

}  // namespace
