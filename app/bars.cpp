#include "app/bars.h"

#include <commctrl.h>

#include "controls/masked_bitmap.h"
#include "controls/module_instance.h"
#include "controls/res_string.h"
#include "resources/resource.h"

namespace qm {

namespace {

constexpr UINT_PTR kBarSubclassId = 0x51424152;  // "QBAR"

// Both bars fill their background with COLOR_BTNFACE in WM_ERASEBKGND
// (a flat tool bar would otherwise show whatever its parent painted) and
// the tool bar frees its image list with itself.
LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                         DWORD_PTR imageList) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &BarProc, kBarSubclassId);
      if (imageList) ImageList_Destroy(reinterpret_cast<HIMAGELIST>(imageList));
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

HWND CreateToolBar(HWND parent, UINT id, UINT bitmapId, int imageCount,
                   const std::vector<UINT>& commands, bool visible) {
  const DWORD style = WS_CHILD | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                      (visible ? WS_VISIBLE : 0);
  HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, style, 0, 0, 0, kToolBarHeight,
                                 parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                 ModuleInstance(), nullptr);
  if (!toolbar) return nullptr;
  // Magenta marks the transparent pixels of the strips, which the tool
  // bar's own bitmap loading would not know: give it a masked image list.
  HIMAGELIST images = ImageList_Create(16, 15, ILC_COLOR24 | ILC_MASK, imageCount, 0);
  if (images) {
    if (HBITMAP strip = static_cast<HBITMAP>(LoadImageA(
            ModuleInstance(), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR))) {
      ImageList_AddMasked(images, strip, RGB(255, 0, 255));
      DeleteObject(strip);
    }
  }
  SetWindowSubclass(toolbar, &BarProc, kBarSubclassId, reinterpret_cast<DWORD_PTR>(images));
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(toolbar, TB_SETBITMAPSIZE, 0, MAKELONG(16, 15));
  SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));

  std::vector<TBBUTTON> buttons;
  int image = 0;
  for (UINT command : commands) {
    TBBUTTON b{};
    if (command == 0) {
      b.fsStyle = BTNS_SEP;
    } else {
      b.iBitmap = image++;
      b.idCommand = static_cast<int>(command);
      b.fsState = TBSTATE_ENABLED;
      b.fsStyle = BTNS_BUTTON;
    }
    buttons.push_back(b);
  }
  SendMessageA(toolbar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageA(toolbar, TB_SETBUTTONSIZE, 0, MAKELONG(23, 22));
  SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
  return toolbar;
}

void LayoutToolBar(HWND toolbar, int width) {
  MoveWindow(toolbar, 0, 0, width, kToolBarHeight, TRUE);
}

void EnableToolButton(HWND toolbar, UINT command, bool enabled) {
  // Asked after every edit and caret move: a button that stays as it is is
  // not redrawn.
  const LRESULT state = SendMessageA(toolbar, TB_GETSTATE, command, 0);
  if (state != -1 && ((state & TBSTATE_ENABLED) != 0) == enabled) return;
  SendMessageA(toolbar, TB_ENABLEBUTTON, command, MAKELONG(enabled ? TRUE : FALSE, 0));
}

HWND CreateStatusBar(HWND parent, UINT id, bool visible) {
  const DWORD style = WS_CHILD | SBARS_SIZEGRIP | (visible ? WS_VISIBLE : 0);
  HWND statusbar = CreateWindowExA(0, STATUSCLASSNAMEA, "", style, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                   ModuleInstance(), nullptr);
  if (!statusbar) return nullptr;
  SetWindowSubclass(statusbar, &BarProc, kBarSubclassId, 0);
  SetStatusText(statusbar, 0, LoadResString(IDS_STATUS_HELP), true);
  return statusbar;
}

void SetStatusParts(HWND statusbar, const std::vector<int>& rightEdges) {
  SendMessageA(statusbar, SB_SETPARTS, rightEdges.size(),
               reinterpret_cast<LPARAM>(rightEdges.data()));
}

void SetStatusText(HWND statusbar, int part, const std::string& text, bool noBorders) {
  // Set after every key and caret move: a part that reads the same is not
  // redrawn.
  const LRESULT length = SendMessageA(statusbar, SB_GETTEXTLENGTHA, part, 0);
  if (LOWORD(length) == text.size()) {
    std::string now(text.size() + 1, '\0');
    SendMessageA(statusbar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(now.data()));
    now.resize(text.size());
    if (now == text) return;
  }
  SendMessageA(statusbar, SB_SETTEXTA, static_cast<WPARAM>(part) | (noBorders ? SBT_NOBORDERS : 0),
               reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<int> TextStatusParts(int clientWidth, bool maximized) {
  const int w = clientWidth - (maximized ? 0 : GetSystemMetrics(SM_CXVSCROLL));
  // Part 2 holds "DOS UTF-16 BE, UNIX UTF-8 BOM" at its longest.
  return {w - 500, w - 340, w - 140, w};
}

std::string TooltipFromString(const std::string& text) {
  const size_t lf = text.find('\n');
  std::string tip = lf == std::string::npos ? text : text.substr(lf + 1);
  // NMTTDISPINFO's szText holds 80 characters with the terminator.
  if (tip.size() > 79) tip.resize(79);
  return tip;
}

std::string TooltipText(UINT id) { return TooltipFromString(LoadResString(id)); }

void FillTooltip(NMTTDISPINFOA* tip) {
  UINT_PTR id = tip->hdr.idFrom;
  if (tip->uFlags & TTF_IDISHWND)
    id = static_cast<UINT_PTR>(GetDlgCtrlID(reinterpret_cast<HWND>(id)));
  const std::string text = TooltipText(static_cast<UINT>(id));
  lstrcpynA(tip->szText, text.c_str(), sizeof tip->szText);
  tip->lpszText = tip->szText;
  tip->hinst = nullptr;
}

void PlaceChild(HWND window, int x, int y, int w, int h) {
  if (!window) return;
  if (w <= 0 || h <= 0) {
    ShowWindow(window, SW_HIDE);
    return;
  }
  RECT now;
  if (IsWindowVisible(window) && GetWindowRect(window, &now)) {
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&now), 2);
    if (now.left == x && now.top == y && now.right - now.left == w && now.bottom - now.top == h)
      return;
  }
  // No bits copied: a child moved over the old place of a sibling would
  // keep the sibling's pixels.
  SetWindowPos(window, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  ShowWindow(window, SW_SHOWNA);
}

int WindowHeight(HWND window) {
  RECT rect{};
  if (!window) return 0;
  GetWindowRect(window, &rect);
  return rect.bottom - rect.top;
}

void DrawEtchedBand(HDC dc, int y, int width) {
  if (y < 0) return;
  RECT rect{0, y, width, y + 2};
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &rect, EDGE_ETCHED, BF_TOP);
}

void DrawImageButton(const DRAWITEMSTRUCT* item, HBITMAP image, HBITMAP mask) {
  RECT rect = item->rcItem;
  const bool pressed = item->itemState & ODS_SELECTED;
  DrawFrameControl(item->hDC, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  DrawMaskedBitmap(item->hDC, rect, image, mask, pressed);
  if (item->itemState & ODS_FOCUS) {
    InflateRect(&rect, -3, -3);
    DrawFocusRect(item->hDC, &rect);
  }
}

}  // namespace qm
