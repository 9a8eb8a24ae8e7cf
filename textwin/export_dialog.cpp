#include "textwin/export_dialog.h"

#include <string>

#include "app/settings.h"
#include "controls/code_page.h"
#include "controls/file_dialog.h"
#include "controls/window_base.h"
#include "resources/resource.h"

namespace qm {

namespace {

class ExportDialog : public DialogBase {
public:
  explicit ExportDialog(const ExportTargetCheck& accept) : accept_(accept) {}

protected:
  void RegisterHandlers() override {
    DialogBase::RegisterHandlers();
    maps().OnMessage(WM_INITDIALOG, [this](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
      return OnInit(h);
    });
    maps().OnCommand(IDOK, [this](HWND h, UINT, WPARAM, LPARAM) -> LRESULT { return OnOk(h); });
    maps().OnCommand(IDCANCEL, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
      EndDialog(h, FALSE);
      return TRUE;
    });
    maps().OnCommand(IDC_EXPORT_FILE, [](HWND h, UINT, WPARAM wParam, LPARAM) -> LRESULT {
      if (HIWORD(wParam) == EN_CHANGE) UpdateOk(h);
      return TRUE;
    });
    maps().OnCommand(IDC_EXPORT_BROWSE, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
      Browse(h);
      return TRUE;
    });
  }

private:
  static void UpdateOk(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDOK),
                 GetWindowTextLengthA(GetDlgItem(dialog, IDC_EXPORT_FILE)) > 0);
  }

  static std::string FileText(HWND dialog) {
    char text[kMaxPathBytes] = "";
    GetDlgItemTextA(dialog, IDC_EXPORT_FILE, text, sizeof text);
    return text;
  }

  LRESULT OnInit(HWND dialog) {
    // Centred on the owner.
    RECT owner, self;
    GetWindowRect(GetWindow(dialog, GW_OWNER) ? GetWindow(dialog, GW_OWNER) : GetDesktopWindow(),
                  &owner);
    GetWindowRect(dialog, &self);
    SetWindowPos(dialog, nullptr,
                 owner.left + ((owner.right - owner.left) - (self.right - self.left)) / 2,
                 owner.top + ((owner.bottom - owner.top) - (self.bottom - self.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (Settings.ExportHow >= 0 && Settings.ExportHow <= 2)
      CheckDlgButton(dialog, IDC_EXPORT_EVERYTHING + Settings.ExportHow, BST_CHECKED);
    SendDlgItemMessageA(dialog, IDC_EXPORT_FILE, EM_LIMITTEXT, MAX_PATH, 0);
    SetDlgItemTextA(dialog, IDC_EXPORT_FILE, Settings.ExportResults.c_str());
    UpdateOk(dialog);
    return TRUE;
  }

  LRESULT OnOk(HWND dialog) {
    if (accept_ && !accept_(dialog, FileText(dialog))) {
      SetFocus(GetDlgItem(dialog, IDC_EXPORT_FILE));
      return TRUE;
    }
    if (IsDlgButtonChecked(dialog, IDC_EXPORT_EVERYTHING) == BST_CHECKED)
      Settings.ExportHow = 0;
    else if (IsDlgButtonChecked(dialog, IDC_EXPORT_CONTEXT) == BST_CHECKED)
      Settings.ExportHow = 1;
    else
      Settings.ExportHow = 2;
    Settings.ExportResults = FileText(dialog);
    EndDialog(dialog, TRUE);
    return TRUE;
  }

  static void Browse(HWND dialog) {
    std::string name = FileText(dialog);
    FileDialogRequest request;
    request.owner = dialog;
    request.save = true;
    request.titleId = IDS_CHOOSE_EXPORT_FILE;
    request.filterId = IDS_FILTER_HTML;
    request.defaultExtension = "html";
    if (AskForFileName(request, &name)) SetDlgItemTextA(dialog, IDC_EXPORT_FILE, name.c_str());
  }

  const ExportTargetCheck& accept_;
};

}  // namespace

bool ShowExportDialog(HWND owner, const ExportTargetCheck& accept) {
  ExportDialog dialog(accept);
  return dialog.RunModal(IDD_EXPORT, owner) == TRUE;
}

}  // namespace qm
