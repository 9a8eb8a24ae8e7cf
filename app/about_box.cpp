#include "app/about_box.h"

#include <shellapi.h>

#include <cstring>

#include "controls/gdi_owner.h"
#include "controls/module_instance.h"
#include "controls/window_base.h"
#include "resources/resource.h"

namespace qm {

const char kVendorWebSite[] = "https://www.ambervale.example/quillmere/";
const char kSupportMailLink[] = "mailto:support@ambervale.example?subject=Quillmere";

namespace {

// Sequential reader over a template; every read fails once past the end.
class TemplateReader {
public:
  TemplateReader(const void* data, size_t size)
      : begin_(static_cast<const BYTE*>(data)), size_(size) {}

  bool ok() const { return ok_; }
  template <class T>
  T Read() {
    T value{};
    if (!ok_ || pos_ + sizeof(T) > size_) {
      ok_ = false;
      return value;
    }
    std::memcpy(&value, begin_ + pos_, sizeof(T));
    pos_ += sizeof(T);
    return value;
  }
  // A name or ordinal (0xFFFF and a WORD), or a zero-terminated wide string.
  std::string ReadSzOrOrd() {
    const WORD first = Read<WORD>();
    if (first == 0xFFFF) {
      Read<WORD>();
      return std::string();
    }
    std::string text;
    for (WORD c = first; ok_ && c != 0; c = Read<WORD>()) text += static_cast<char>(c < 128 ? c : '?');
    return text;
  }
  void AlignDword() { pos_ = (pos_ + 3) & ~size_t(3); }
  void Skip(size_t n) {
    if (pos_ + n > size_) ok_ = false;
    pos_ += n;
  }

private:
  const BYTE* begin_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// The dialog manager's own measure of a font's average character width.
SIZE BaseUnits(HDC dc, HFONT font) {
  SelectScope select(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{};
  GetTextExtentPoint32A(dc, kLetters, 52, &extent);
  return SIZE{(extent.cx / 26 + 1) / 2, tm.tmHeight};
}

class AboutBox : public DialogBase {
public:
  void RegisterHandlers() override {
    maps().OnMessage(WM_INITDIALOG, Bind(this, &AboutBox::OnInit));
    maps().OnMessage(WM_CTLCOLORSTATIC, Bind(this, &AboutBox::OnColor));
    maps().OnMessage(WM_SETCURSOR, Bind(this, &AboutBox::OnSetCursor));
    maps().OnCommand(IDCANCEL, [](HWND hwnd, UINT, WPARAM, LPARAM) -> LRESULT {
      EndDialog(hwnd, IDCANCEL);
      return TRUE;
    });
    maps().OnCommand(IDOK, [](HWND hwnd, UINT, WPARAM, LPARAM) -> LRESULT {
      EndDialog(hwnd, IDOK);
      return TRUE;
    });
    maps().OnCommand(IDC_ABOUT_WEBSITE, Bind(this, &AboutBox::OnLink));
    maps().OnCommand(IDC_ABOUT_SUPPORT, Bind(this, &AboutBox::OnLink));
  }

private:
  LRESULT OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
    DialogTemplateLayout layout;
    HRSRC found = FindResourceA(ModuleInstance(), MAKEINTRESOURCEA(IDD_ABOUT), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(ModuleInstance(), found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data && ParseDialogTemplateEx(data, SizeofResource(ModuleInstance(), found), &layout)) {
      LayOut(hwnd, layout);
    }
    return TRUE;
  }

  HFONT MakeFont(const DialogTemplateLayout& layout, int weight, bool underline) {
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(layout.pointSize, 96, 72);
    lf.lfWeight = weight;
    lf.lfItalic = layout.italic;
    lf.lfUnderline = underline;
    lf.lfCharSet = layout.charset;
    lstrcpynA(lf.lfFaceName, layout.fontFace.c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&lf);
  }

  void LayOut(HWND hwnd, const DialogTemplateLayout& layout) {
    font_.Reset(MakeFont(layout, layout.weight ? layout.weight : FW_NORMAL, false));
    boldFont_.Reset(MakeFont(layout, FW_BOLD, false));
    linkFont_.Reset(MakeFont(layout, layout.weight ? layout.weight : FW_NORMAL, true));
    const SIZE base = BaseUnits(WindowDC(hwnd).get(), font_.get());

    RECT frame = DialogUnitsToPixels(0, 0, layout.cx, layout.cy, base.cx, base.cy);
    AdjustWindowRectEx(&frame, GetWindowLongA(hwnd, GWL_STYLE), FALSE,
                       GetWindowLongA(hwnd, GWL_EXSTYLE));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    size_t i = 0;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child && i < layout.items.size();
         child = GetWindow(child, GW_HWNDNEXT), ++i) {
      const DialogTemplateLayout::Item& item = layout.items[i];
      const RECT rc = DialogUnitsToPixels(item.x, item.y, item.cx, item.cy, base.cx, base.cy);
      const int id = GetDlgCtrlID(child);
      HFONT font = font_.get();
      if (id == IDC_ABOUT_VERSION) font = boldFont_.get();
      if (id == IDC_ABOUT_WEBSITE || id == IDC_ABOUT_SUPPORT) font = linkFont_.get();
      SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      // A picture control sizes itself to its image; keep its size.
      const LONG type = GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
      const bool picture = type == SS_BITMAP || type == SS_ICON;
      SetWindowPos(child, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | (picture ? SWP_NOSIZE : 0));
    }
  }

  static bool IsLink(HWND control) {
    const int id = GetDlgCtrlID(control);
    return id == IDC_ABOUT_WEBSITE || id == IDC_ABOUT_SUPPORT;
  }

  LRESULT OnColor(HWND, UINT, WPARAM wParam, LPARAM lParam) {
    if (!IsLink(reinterpret_cast<HWND>(lParam))) return FALSE;
    HDC dc = reinterpret_cast<HDC>(wParam);
    // Links are blue; Wine's COLOR_HOTLIGHT is a pale grey.
    SetTextColor(dc, RGB(0, 0, 204));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }

  LRESULT OnSetCursor(HWND hwnd, UINT, WPARAM wParam, LPARAM) {
    if (!IsLink(reinterpret_cast<HWND>(wParam))) return FALSE;
    SetCursor(LoadCursorA(nullptr, IDC_HAND));
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, TRUE);
    return TRUE;
  }

  LRESULT OnLink(HWND, UINT, WPARAM wParam, LPARAM) {
    if (HIWORD(wParam) != STN_CLICKED) return FALSE;
    const char* link = LOWORD(wParam) == IDC_ABOUT_WEBSITE ? kVendorWebSite : kSupportMailLink;
    ShellExecuteA(nullptr, "open", link, nullptr, nullptr, SW_SHOWNORMAL);
    return TRUE;
  }

  GdiObject<HFONT> font_;
  GdiObject<HFONT> boldFont_;
  GdiObject<HFONT> linkFont_;
};

}  // namespace

bool ParseDialogTemplateEx(const void* data, size_t size, DialogTemplateLayout* layout) {
  TemplateReader r(data, size);
  const WORD version = r.Read<WORD>();
  const WORD signature = r.Read<WORD>();
  if (!r.ok() || version != 1 || signature != 0xFFFF) return false;
  r.Read<DWORD>();  // help id
  r.Read<DWORD>();  // extended style
  const DWORD style = r.Read<DWORD>();
  const WORD count = r.Read<WORD>();
  r.Read<short>();
  r.Read<short>();
  layout->cx = r.Read<short>();
  layout->cy = r.Read<short>();
  r.ReadSzOrOrd();  // menu
  r.ReadSzOrOrd();  // class
  r.ReadSzOrOrd();  // title
  if (!(style & (DS_SETFONT | DS_SHELLFONT))) return false;
  layout->pointSize = r.Read<WORD>();
  layout->weight = r.Read<WORD>();
  layout->italic = r.Read<BYTE>();
  layout->charset = r.Read<BYTE>();
  layout->fontFace = r.ReadSzOrOrd();
  layout->items.clear();
  for (WORD i = 0; i < count && r.ok(); ++i) {
    r.AlignDword();
    r.Read<DWORD>();  // help id
    r.Read<DWORD>();  // extended style
    r.Read<DWORD>();  // style
    DialogTemplateLayout::Item item{};
    item.x = r.Read<short>();
    item.y = r.Read<short>();
    item.cx = r.Read<short>();
    item.cy = r.Read<short>();
    item.id = r.Read<DWORD>();
    r.ReadSzOrOrd();  // class
    r.ReadSzOrOrd();  // title
    r.Skip(r.Read<WORD>());  // creation data
    if (r.ok()) layout->items.push_back(item);
  }
  return r.ok() && layout->items.size() == count;
}

RECT DialogUnitsToPixels(short x, short y, short cx, short cy, int baseX, int baseY) {
  return RECT{MulDiv(x, baseX, 4), MulDiv(y, baseY, 8), MulDiv(x + cx, baseX, 4),
              MulDiv(y + cy, baseY, 8)};
}

void ShowAboutBox(HWND owner) {
  AboutBox box;
  box.RunModal(IDD_ABOUT, owner);
}

}  // namespace qm
