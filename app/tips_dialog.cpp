#include "app/tips_dialog.h"

#include <windows.h>

#include <utility>

#include "app/registry.h"
#include "app/settings.h"
#include "controls/gdi_owner.h"
#include "controls/masked_bitmap.h"
#include "controls/module_instance.h"
#include "controls/res_string.h"
#include "controls/window_base.h"
#include "resources/resource.h"

namespace qm {

TipCursor::TipCursor(std::string text, uint32_t index) : text_(std::move(text)), index_(index) {
  for (uint32_t skipped = 0; skipped < index_; ++skipped) {
    const size_t lf = text_.find('\n', pos_);
    if (lf == std::string::npos || lf + 1 >= text_.size()) {
      pos_ = 0;
      index_ = 0;
      return;
    }
    pos_ = lf + 1;
  }
}

std::string TipCursor::Next() {
  if (text_.empty()) return std::string();
  ++index_;
  const size_t lf = text_.find('\n', pos_);
  std::string line = text_.substr(pos_, lf == std::string::npos ? std::string::npos : lf - pos_);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const size_t tab = line.find('\t');
  if (tab != std::string::npos) line.resize(tab);
  pos_ = lf == std::string::npos ? text_.size() : lf + 1;
  if (pos_ >= text_.size()) {
    pos_ = 0;
    index_ = 0;
  }
  return UnescapeTip(line);
}

std::string UnescapeTip(const std::string& raw) {
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\') {
      out += raw[i];
    } else if (i + 1 < raw.size()) {
      ++i;
      out += raw[i] == 'n' ? '\n' : raw[i];
    }
  }
  return out;
}

namespace {

// The "TIPS" resource as text, empty when it is missing.
std::string LoadTipsText() {
  HRSRC found = FindResourceA(ModuleInstance(), MAKEINTRESOURCEA(IDR_TIPS), "TIPS");
  if (!found) return std::string();
  HGLOBAL loaded = LoadResource(ModuleInstance(), found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return std::string();
  return std::string(static_cast<const char*>(data), SizeofResource(ModuleInstance(), found));
}

HFONT GuiFont(int points, int weight, HWND hwnd) {
  LOGFONTA lf{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  lf.lfHeight = -MulDiv(points, GetDeviceCaps(WindowDC(hwnd).get(), LOGPIXELSY), 72);
  lf.lfWidth = 0;
  lf.lfWeight = weight;
  return CreateFontIndirectA(&lf);
}

// Draws bitmap centred in rc on a COLOR_BTNSHADOW fill, its white pixels
// taking the fill colour.
void DrawBulb(HDC dc, const RECT& rc, HBITMAP bitmap) {
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNSHADOW));
  GdiObject<HBITMAP> mask = MakeColourMask(bitmap, RGB(255, 255, 255));
  DrawMaskedBitmap(dc, rc, bitmap, mask.get());
}

class TipsDialog : public DialogBase {
public:
  TipsDialog()
      : cursor_(LoadTipsText(), ReadSettingDword(kTipIndexValue, 0)),
        bulb_(LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(IDB_TIP_BULB))) {}

  void RegisterHandlers() override {
    maps().OnMessage(WM_INITDIALOG, Bind(this, &TipsDialog::OnInit));
    maps().OnMessage(WM_CTLCOLORSTATIC, Bind(this, &TipsDialog::OnColor));
    maps().OnMessage(WM_DRAWITEM, Bind(this, &TipsDialog::OnDrawItem));
    maps().OnCommand(IDC_TIP_NEXT, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
      ShowNext();
      return TRUE;
    });
    maps().OnCommand(IDC_TIP_SHOW_ON_STARTUP, [](HWND hwnd, UINT, WPARAM, LPARAM) -> LRESULT {
      WriteSettingBool(kTipShowOnStartupValue,
                       IsDlgButtonChecked(hwnd, IDC_TIP_SHOW_ON_STARTUP) == BST_CHECKED);
      return TRUE;
    });
    maps().OnCommand(IDCANCEL, [](HWND hwnd, UINT, WPARAM, LPARAM) -> LRESULT {
      EndDialog(hwnd, IDCANCEL);
      return TRUE;
    });
  }

private:
  LRESULT OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
    headerFont_.Reset(GuiFont(12, FW_BOLD, hwnd));
    textFont_.Reset(GuiFont(10, FW_NORMAL, hwnd));
    SendDlgItemMessageA(hwnd, IDC_TIP_HEADER, WM_SETFONT,
                        reinterpret_cast<WPARAM>(headerFont_.get()), 0);
    SendDlgItemMessageA(hwnd, IDC_TIP_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(textFont_.get()),
                        0);
    SetDlgItemTextA(hwnd, IDC_TIP_HEADER, LoadResString(IDS_TIP_HEADER).c_str());
    CheckDlgButton(hwnd, IDC_TIP_SHOW_ON_STARTUP,
                   ReadSettingBool(kTipShowOnStartupValue, true) ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(hwnd, IDC_TIP_NEXT), !cursor_.empty());
    ShowNext();
    return TRUE;
  }

  void ShowNext() {
    if (cursor_.empty()) return;
    SetDlgItemTextA(hwnd(), IDC_TIP_TEXT, cursor_.Next().c_str());
    WriteSettingDword(kTipIndexValue, cursor_.index());
  }

  LRESULT OnColor(HWND, UINT, WPARAM wParam, LPARAM lParam) {
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
    if (id != IDC_TIP_HEADER && id != IDC_TIP_TEXT) return FALSE;
    SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
  }

  LRESULT OnDrawItem(HWND, UINT, WPARAM, LPARAM lParam) {
    auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (dis->CtlID != IDC_TIP_PICTURE) return FALSE;
    DrawBulb(dis->hDC, dis->rcItem, bulb_.get());
    return TRUE;
  }

  TipCursor cursor_;
  GdiObject<HBITMAP> bulb_;
  GdiObject<HFONT> headerFont_;
  GdiObject<HFONT> textFont_;
};

TipsDialog* g_open = nullptr;

}  // namespace

void ShowTips() {
  if (g_open) {
    if (HWND hwnd = g_open->hwnd()) {
      SetForegroundWindow(hwnd);
      SetFocus(hwnd);
    }
    return;
  }
  TipsDialog dialog;
  g_open = &dialog;
  dialog.RunModal(IDD_TIPS, nullptr);
  g_open = nullptr;
}

void ShowTipsAtStartup() {
  if (ReadSettingBool(kTipShowOnStartupValue, true)) ShowTips();
}

}  // namespace qm
