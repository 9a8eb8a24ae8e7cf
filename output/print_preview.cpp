#include "output/print_preview.h"

#include <algorithm>
#include <memory>

#include "app/comparison_window.h"
#include "app/settings.h"
#include "controls/gdi_owner.h"
#include "controls/module_instance.h"
#include "controls/window_base.h"
#include "output/print_job.h"
#include "resources/resource.h"

namespace qm {

namespace {

constexpr char kPaneClass[] = "PreviewPane";
constexpr int kSheetMargin = 10;  // pixels between the pane's edge and the sheet
constexpr int kShadow = 4;

class PreviewDialog : public DialogBase {
public:
  explicit PreviewDialog(const PrintSource& source) : source_(source) {}

  // The pane's painting, called by its window procedure.
  void PaintPane(HWND pane, HDC dc) const;
  void StepTo(int32_t page);
  int32_t Page() const { return page_; }

protected:
  void RegisterHandlers() override;

private:
  // The layout for the shared printer as it is now (none without one).
  void Rebuild();
  void UpdateButtons();
  void Arrange();

  const PrintSource& source_;
  std::unique_ptr<PageLayout> layout_;
  int32_t page_ = 1;
};

LRESULT CALLBACK PaneProc(HWND pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* dialog = reinterpret_cast<PreviewDialog*>(GetWindowLongPtrA(pane, GWLP_USERDATA));
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(pane, &ps);
      RECT client;
      GetClientRect(pane, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
      if (dialog) dialog->PaintPane(pane, dc);
      EndPaint(pane, &ps);
      return 0;
    }
    case WM_SIZE:
      InvalidateRect(pane, nullptr, FALSE);
      return 0;
    case WM_VSCROLL:
      if (dialog) {
        switch (LOWORD(wParam)) {
          case SB_LINEUP:
          case SB_PAGEUP:
            dialog->StepTo(dialog->Page() - 1);
            break;
          case SB_LINEDOWN:
          case SB_PAGEDOWN:
            dialog->StepTo(dialog->Page() + 1);
            break;
          case SB_THUMBPOSITION:
          case SB_THUMBTRACK:
            dialog->StepTo(HIWORD(wParam));
            break;
          default:
            break;
        }
      }
      return 0;
    default:
      return DefWindowProcA(pane, msg, wParam, lParam);
  }
}

void RegisterPaneClass() {
  WNDCLASSA wc{};
  if (GetClassInfoA(ModuleInstance(), kPaneClass, &wc)) return;
  wc.lpfnWndProc = PaneProc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kPaneClass;
  RegisterClassA(&wc);
}

void PreviewDialog::RegisterHandlers() {
  DialogBase::RegisterHandlers();
  maps().OnMessage(WM_INITDIALOG, [this](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    SetWindowLongPtrA(GetDlgItem(h, IDC_PREVIEW_PANE), GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(this));
    ShowScrollBar(GetDlgItem(h, IDC_PREVIEW_PANE), SB_HORZ, FALSE);
    const WindowPlacement& stored = Settings.PreviewWindow;
    if (stored.valid)
      SetWindowPos(h, nullptr, stored.left, stored.top, stored.right - stored.left,
                   stored.bottom - stored.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (stored.maximized) ShowWindow(h, SW_MAXIMIZE);
    Rebuild();
    Arrange();
    return TRUE;
  });
  auto track = [](HWND h, UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
    if (msg != WM_ACTIVATE || LOWORD(wParam) != WA_INACTIVE)
      TrackPlacement(h, Settings.PreviewWindow);
    return FALSE;
  };
  maps().OnMessage(WM_MOVE, track);
  maps().OnMessage(WM_ACTIVATE, track);
  maps().OnMessage(WM_SIZE, [this, track](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    Arrange();
    return track(h, msg, wParam, lParam);
  });
  maps().OnCommand(IDC_PREVIEW_PRINT, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    EndDialog(h, TRUE);
    return TRUE;
  });
  maps().OnCommand(IDCANCEL, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    EndDialog(h, FALSE);
    return TRUE;
  });
  maps().OnCommand(IDC_PREVIEW_SETUP, [this](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    if (PrinterSetup(h)) Rebuild();
    return TRUE;
  });
  maps().OnCommand(IDC_PREVIEW_PREV, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    StepTo(page_ - 1);
    return TRUE;
  });
  maps().OnCommand(IDC_PREVIEW_NEXT, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    StepTo(page_ + 1);
    return TRUE;
  });
}

void PreviewDialog::Rebuild() {
  layout_.reset();
  if (HDC printer = CreateSharedPrinterDC()) {
    layout_ = std::make_unique<PageLayout>(printer, source_, Settings.PrintScale);
    DeleteDC(printer);
  }
  StepTo(page_);
}

void PreviewDialog::StepTo(int32_t page) {
  const int32_t pages = layout_ ? layout_->Pages() : 1;
  page_ = std::clamp<int32_t>(page, 1, pages);
  UpdateButtons();
  InvalidateRect(GetDlgItem(hwnd(), IDC_PREVIEW_PANE), nullptr, FALSE);
}

void PreviewDialog::UpdateButtons() {
  const int32_t pages = layout_ ? layout_->Pages() : 1;
  HWND previous = GetDlgItem(hwnd(), IDC_PREVIEW_PREV);
  HWND next = GetDlgItem(hwnd(), IDC_PREVIEW_NEXT);
  // A button about to be disabled hands the focus on first, or the keyboard
  // would be left with nowhere to go.
  const bool hasPrevious = page_ > 1;
  const bool hasNext = page_ < pages;
  if ((GetFocus() == previous && !hasPrevious) || (GetFocus() == next && !hasNext))
    SendMessageA(hwnd(), WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(hwnd(), hasNext ? IDC_PREVIEW_NEXT
                                                               : hasPrevious ? IDC_PREVIEW_PREV
                                                                             : IDCANCEL)),
                 TRUE);
  EnableWindow(previous, hasPrevious);
  EnableWindow(next, hasNext);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE | SIF_DISABLENOSCROLL;
  info.nMin = 1;
  info.nMax = pages;
  info.nPage = 1;
  info.nPos = page_;
  SetScrollInfo(GetDlgItem(hwnd(), IDC_PREVIEW_PANE), SB_VERT, &info, TRUE);
}

void PreviewDialog::Arrange() {
  HWND dialog = hwnd();
  RECT client;
  GetClientRect(dialog, &client);
  auto rectOf = [dialog](int id) {
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  const RECT print = rectOf(IDC_PREVIEW_PRINT);
  const RECT close = rectOf(IDCANCEL);
  const int margin = print.left;
  SetWindowPos(GetDlgItem(dialog, IDCANCEL), nullptr, client.right - margin - (close.right - close.left),
               close.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int top = print.bottom + margin;
  SetWindowPos(GetDlgItem(dialog, IDC_PREVIEW_PANE), nullptr, margin, top,
               std::max<int>(0, client.right - 2 * margin),
               std::max<int>(0, client.bottom - top - margin), SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(dialog, nullptr, TRUE);
}

void PreviewDialog::PaintPane(HWND pane, HDC dc) const {
  if (!layout_) return;
  const PageMetrics& m = layout_->Metrics();
  if (m.pageWidth <= 0 || m.pageHeight <= 0) return;
  RECT client;
  GetClientRect(pane, &client);
  // The whole sheet at the largest size that fits, its proportions kept
  // (the printer's pixels may not be square).
  const double width = static_cast<double>(m.pageWidth) / m.dpiX;
  const double height = static_cast<double>(m.pageHeight) / m.dpiY;
  const int roomX = client.right - 2 * kSheetMargin - kShadow;
  const int roomY = client.bottom - 2 * kSheetMargin - kShadow;
  if (roomX <= 0 || roomY <= 0) return;
  const double scale = std::min(roomX / width, roomY / height);
  const int sheetWidth = std::max(1, static_cast<int>(width * scale));
  const int sheetHeight = std::max(1, static_cast<int>(height * scale));
  const RECT sheet{(client.right - sheetWidth) / 2, (client.bottom - sheetHeight) / 2,
                   (client.right - sheetWidth) / 2 + sheetWidth,
                   (client.bottom - sheetHeight) / 2 + sheetHeight};
  const RECT shadow{sheet.left + kShadow, sheet.top + kShadow, sheet.right + kShadow,
                    sheet.bottom + kShadow};
  FillRect(dc, &shadow, GetSysColorBrush(COLOR_3DDKSHADOW));
  FillRect(dc, &sheet, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FrameRect(dc, &sheet, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

  const int saved = SaveDC(dc);
  IntersectClipRect(dc, sheet.left, sheet.top, sheet.right, sheet.bottom);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, m.pageWidth, m.pageHeight, nullptr);
  SetViewportExtEx(dc, sheetWidth, sheetHeight, nullptr);
  SetViewportOrgEx(dc, sheet.left, sheet.top, nullptr);
  layout_->DrawPage(dc, page_);
  RestoreDC(dc, saved);
}

}  // namespace

bool ShowPrintPreview(HWND owner, const PrintSource& source) {
  RegisterPaneClass();
  PreviewDialog dialog(source);
  return dialog.RunModal(IDD_PREVIEW, owner) == TRUE;
}

}  // namespace qm
