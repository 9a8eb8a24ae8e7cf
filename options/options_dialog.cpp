#include "options/options_dialog.h"

#include <algorithm>
#include <new>
#include <utility>

#include "app/help.h"
#include "app/registry.h"
#include "app/settings.h"
#include "controls/gdi_owner.h"
#include "controls/masked_bitmap.h"
#include "controls/module_instance.h"
#include "controls/res_string.h"
#include "resources/resource.h"

namespace qm {

namespace {

constexpr int kPageGap = 10;         // pixels between the page list and the page
constexpr int kMinItemHeight = 24;   // a list item holds its 16 x 15 picture with room
constexpr int kPictureLeft = 4;
constexpr int kTitleLeft = 20;       // from the picture's left edge
constexpr int kPictureWidth = 16;
constexpr int kPictureHeight = 15;

// The page object being created: messages a dialog gets before
// WM_INITDIALOG (WM_SETFONT, WM_MEASUREITEM of owner-drawn controls) find
// their page through it.
OptionsPageBase* pageInCreation = nullptr;

int DefaultGuiFontHeight(HWND window) {
  TEXTMETRICA metrics{};
  WindowDC dc(window);
  SelectScope font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
  GetTextMetricsA(dc.get(), &metrics);
  return metrics.tmHeight;
}

// True when point lies on the work area of a monitor. A stored corner far
// left of or above every screen ("ffffec78,..." reads as -5000) would put
// the dialog where the user can never reach it: such a place is refused
// like one past the right or bottom edge.
bool OnWorkArea(POINT point) {
  HMONITOR monitor = MonitorFromPoint(point, MONITOR_DEFAULTTONULL);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!monitor || !GetMonitorInfoA(monitor, &info)) return false;
  const RECT& work = info.rcWork;
  return point.x >= work.left && point.y >= work.top && point.x <= work.right &&
         point.y <= work.bottom;
}

}  // namespace

void DrawOptionsPicture(HDC dc, int x, int y, int imageId, int maskId, int copy) {
  const RECT place{x, y, x + kPictureWidth, y + kPictureHeight};
  DrawMaskedBitmap(dc, place, Settings.Bitmap(imageId, copy), Settings.Bitmap(maskId, copy));
}

// ---- OptionsPageBase ------------------------------------------------------

OptionsPageBase::OptionsPageBase(UINT titleId, UINT templateId, int imageId, int maskId,
                                 const char* helpTopic)
    : title_(LoadResString(titleId)),
      templateId_(templateId),
      imageId_(imageId),
      maskId_(maskId),
      helpTopic_(helpTopic) {}

OptionsPageBase::~OptionsPageBase() { Destroy(); }

HWND OptionsPageBase::Create(HWND parent) {
  if (hwnd_) return hwnd_;
  pageInCreation = this;
  HWND made = CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId_), parent,
                                 &OptionsPageBase::CommonPageProc, reinterpret_cast<LPARAM>(this));
  pageInCreation = nullptr;
  return made;
}

void OptionsPageBase::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

INT_PTR CALLBACK OptionsPageBase::CommonPageProc(HWND hwnd, UINT msg, WPARAM wParam,
                                                 LPARAM lParam) {
  auto* self = reinterpret_cast<OptionsPageBase*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<OptionsPageBase*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
  }
  if (!self) self = pageInCreation;
  if (!self) return FALSE;
  if (!self->hwnd_) self->hwnd_ = hwnd;
  INT_PTR result = FALSE;
  try {
    result = self->PageProc(msg, wParam, lParam);
  } catch (const std::bad_alloc&) {
    OutputDebugStringA("Quillmere: out of memory in an Options page\n");
  } catch (...) {
    OutputDebugStringA("Quillmere: exception in an Options page\n");
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (self->hwnd_ == hwnd) self->hwnd_ = nullptr;
  }
  return result;
}

INT_PTR OptionsPageBase::PageProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  MessageHook(msg, wParam, lParam);
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_MEASUREITEM:
      return OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_DRAWITEM:
      return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_HELP:
      OnHelp();
      return TRUE;
    default:
      return FALSE;
  }
}

void OptionsPageBase::MessageHook(UINT, WPARAM, LPARAM) {}
void OptionsPageBase::OnCommand(WORD, WORD, HWND) {}
bool OptionsPageBase::OnMeasureItem(MEASUREITEMSTRUCT*) { return false; }
bool OptionsPageBase::OnDrawItem(const DRAWITEMSTRUCT*) { return false; }
void OptionsPageBase::OnHelp() { ShowHelp(helpTopic_); }

bool OptionsPageBase::Checked(int id) const {
  return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

void OptionsPageBase::Check(int id, bool on) const {
  CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void OptionsPageBase::Enable(int id, bool on) const {
  EnableWindow(GetDlgItem(hwnd_, id), on);
}

// ---- OptionsDialog --------------------------------------------------------

OptionsDialog::OptionsDialog() {
  pages_.push_back(NewTextFilesPage());
  pages_.push_back(NewFoldersPage());
  pages_.push_back(NewDisplayPage());
  pages_.push_back(NewMiscPage());
}

OptionsDialog::~OptionsDialog() {
  // While the object is whole: WM_DESTROY writes the position and the page.
  if (hwnd()) DestroyWindow(hwnd());
}

void OptionsDialog::RegisterHandlers() {
  DialogBase::RegisterHandlers();
  maps().OnMessage(WM_INITDIALOG, Bind(this, &OptionsDialog::OnInitDialog));
  maps().OnMessage(WM_MEASUREITEM, Bind(this, &OptionsDialog::OnMeasureItem));
  maps().OnMessage(WM_DRAWITEM, Bind(this, &OptionsDialog::OnDrawItem));
  maps().OnMessage(WM_HELP, Bind(this, &OptionsDialog::OnHelp));
  maps().OnMessage(WM_DESTROY, Bind(this, &OptionsDialog::OnDestroy));
  maps().OnCommand(IDC_OPTIONS_PAGES, Bind(this, &OptionsDialog::OnPageList));
  maps().OnCommand(IDCANCEL, Bind(this, &OptionsDialog::OnCancel));
  // Enter has no default button to press: the page decides what it means.
  maps().OnCommand(IDOK, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    if (current_) current_->OnCommand(IDOK, BN_CLICKED, nullptr);
    return TRUE;
  });
}

void OptionsDialog::PlaceOnScreen() {
  HWND dialog = hwnd();
  POINT stored{};
  if (ReadOptionsBox(&stored) && OnWorkArea(stored)) {
    SetWindowPos(dialog, nullptr, stored.x, stored.y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
    return;
  }
  RECT box{};
  GetWindowRect(dialog, &box);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
}

LRESULT OptionsDialog::OnInitDialog(HWND dialog, UINT, WPARAM, LPARAM) {
  PlaceOnScreen();
  HWND list = GetDlgItem(dialog, IDC_OPTIONS_PAGES);
  // The list was measured before this object was bound to the dialog.
  SendMessageA(list, LB_SETITEMHEIGHT, 0, std::max(kMinItemHeight, DefaultGuiFontHeight(list)));
  for (const auto& page : pages_) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(page->Title().c_str()));
  }
  // A negative page means the first; one past the end leaves no selection.
  auto stored = static_cast<int32_t>(ReadSettingDword(kOptionsPageValue, 0));
  if (stored < 0) stored = 0;
  SendMessageA(list, LB_SETCURSEL, stored < static_cast<int32_t>(pages_.size()) ? stored : -1, 0);
  ShowSelectedPage();
  return TRUE;
}

void OptionsDialog::ShowSelectedPage() {
  HWND dialog = hwnd();
  if (current_) current_->Destroy();
  current_ = nullptr;
  HWND list = GetDlgItem(dialog, IDC_OPTIONS_PAGES);
  LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (index < 0 || index >= static_cast<LRESULT>(pages_.size())) index = 0;
  OptionsPageBase* page = pages_[static_cast<size_t>(index)].get();
  HWND pageWindow = page->Create(dialog);
  if (!pageWindow) return;
  current_ = page;
  RECT listRect{};
  GetWindowRect(list, &listRect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&listRect), 2);
  SetWindowPos(pageWindow, list, listRect.right + kPageGap, listRect.top, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(pageWindow, SW_SHOWNA);
}

LRESULT OptionsDialog::OnPageList(HWND, UINT, WPARAM wParam, LPARAM) {
  if (HIWORD(wParam) == LBN_SELCHANGE) ShowSelectedPage();
  return TRUE;
}

LRESULT OptionsDialog::OnMeasureItem(HWND dialog, UINT, WPARAM, LPARAM lParam) {
  auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
  if (item->CtlID != IDC_OPTIONS_PAGES) return FALSE;
  item->itemHeight = static_cast<UINT>(std::max(kMinItemHeight, DefaultGuiFontHeight(dialog)));
  return TRUE;
}

LRESULT OptionsDialog::OnDrawItem(HWND, UINT, WPARAM, LPARAM lParam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (item->CtlID != IDC_OPTIONS_PAGES) return FALSE;
  const RECT& rc = item->rcItem;
  HDC dc = item->hDC;
  const bool selected = (item->itemState & ODS_SELECTED) != 0;
  FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item->itemID < pages_.size()) {
    const OptionsPageBase& page = *pages_[item->itemID];
    const int pictureTop = rc.top + (rc.bottom - rc.top - kPictureHeight) / 2;
    DrawOptionsPicture(dc, rc.left + kPictureLeft, pictureTop, page.ImageId(), page.MaskId(), 0);
    SelectScope font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    RECT text = rc;
    text.left += kPictureLeft + kTitleLeft;
    DrawTextA(dc, page.Title().c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (item->itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
  return TRUE;
}

LRESULT OptionsDialog::OnHelp(HWND, UINT, WPARAM, LPARAM) {
  if (current_) current_->OnHelp();
  return TRUE;
}

LRESULT OptionsDialog::OnCancel(HWND dialog, UINT, WPARAM, LPARAM) {
  // The object outlives its window until the next ShowOptions or shutdown:
  // this handler is running inside it.
  DestroyWindow(dialog);
  return TRUE;
}

LRESULT OptionsDialog::OnDestroy(HWND dialog, UINT, WPARAM, LPARAM) {
  RECT box{};
  GetWindowRect(dialog, &box);
  WriteOptionsBox(POINT{box.left, box.top});
  const LRESULT index = SendDlgItemMessageA(dialog, IDC_OPTIONS_PAGES, LB_GETCURSEL, 0, 0);
  WriteSettingDword(kOptionsPageValue, index < 0 ? 0 : static_cast<uint32_t>(index));
  if (current_) current_->Destroy();
  current_ = nullptr;
  return TRUE;
}

namespace {

void DeleteOptionsDialog(OptionsDialog* dialog) { delete dialog; }

}  // namespace

bool ShowOptions(HWND) {
  if (Settings.Options && Settings.Options->hwnd()) {
    HWND dialog = Settings.Options->hwnd();
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    SetFocus(dialog);
    return true;
  }
  // A closed dialog's object goes now, outside its own handlers.
  Settings.Options.reset();
  OwnedOptionsDialog made(new (std::nothrow) OptionsDialog, &DeleteOptionsDialog);
  if (!made) return false;
  HWND dialog = made->CreateModeless(IDD_OPTIONS, nullptr);
  if (!dialog) return false;
  Settings.Options = std::move(made);
  ShowWindow(dialog, SW_SHOW);
  return true;
}

}  // namespace qm
