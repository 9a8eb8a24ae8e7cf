// The list's commands: which ones a list offers, the context menu built from
// the chosen entries' states, the default actions, and the run of a command
// over every chosen entry.
#include <algorithm>

#include "app/settings.h"
#include "app/window_manager.h"
#include "common/paths.h"
#include "controls/code_page.h"
#include "controls/res_string.h"
#include "folders/folder_list.h"
#include "folders/folder_list_impl.h"
#include "resources/resource.h"

namespace qm {

namespace {

constexpr UINT kCompare = 20600;
constexpr UINT kCopyToOld = 20601;
constexpr UINT kCopyToNew = 20602;
constexpr UINT kDeleteOld = 20603;
constexpr UINT kDeleteNew = 20604;
constexpr UINT kDeleteBoth = 20605;
constexpr UINT kUndo = 20100;
constexpr UINT kOpenInApp = 20512;
constexpr UINT kExplore = 20513;
constexpr UINT kProperties = 20514;

bool ActedOn(const FolderEntry& entry) { return entry.state >= EntryState::CopiedToOld; }

// The copy and delete items a list offers for actionable entries, in menu
// order (0: a separator).
std::vector<UINT> ActionItems(FolderListKind kind) {
  switch (kind) {
    case FolderListKind::OldList: return {kCopyToNew, kDeleteOld};
    case FolderListKind::NewList: return {kCopyToOld, kDeleteNew};
    case FolderListKind::ChangedList:
      return {kCompare, 0, kCopyToOld, kCopyToNew, 0, kDeleteOld, kDeleteNew, kDeleteBoth};
    case FolderListKind::SameList: break;
  }
  return {kCompare};
}

UINT CaptionOf(UINT id) {
  switch (id) {
    case kCompare: return IDS_MENU_COMPARE;
    case kCopyToOld: return IDS_MENU_COPY_TO_OLD;
    case kCopyToNew: return IDS_MENU_COPY_TO_NEW;
    case kDeleteOld: return IDS_MENU_DELETE_OLD;
    case kDeleteNew: return IDS_MENU_DELETE_NEW;
    case kDeleteBoth: return IDS_MENU_DELETE_BOTH;
    case kOpenInApp: return IDS_MENU_OPEN_IN_APP;
    case kExplore: return IDS_MENU_EXPLORE;
    case kProperties: return IDS_MENU_PROPERTIES;
    default: break;
  }
  return IDS_MENU_UNDO;
}

// The name of the operation behind a state, for "&Undo %1".
UINT OperationNameOf(EntryState state) {
  switch (state) {
    case EntryState::CopiedToOld: return IDS_OP_COPY_TO_OLD;
    case EntryState::CopiedToNew: return IDS_OP_COPY_TO_NEW;
    case EntryState::DeletedOld: return IDS_OP_DELETE_OLD;
    case EntryState::DeletedNew: return IDS_OP_DELETE_NEW;
    default: break;
  }
  return IDS_OP_DELETE_BOTH;
}

FolderOperation OperationOf(UINT id) {
  switch (id) {
    case kCopyToOld: return FolderOperation::CopyToOld;
    case kCopyToNew: return FolderOperation::CopyToNew;
    case kDeleteOld: return FolderOperation::DeleteOld;
    case kDeleteNew: return FolderOperation::DeleteNew;
    case kDeleteBoth: return FolderOperation::DeleteBoth;
    default: break;
  }
  return FolderOperation::Undo;
}

void AppendItem(HMENU menu, UINT id, const std::string& text) {
  const std::wstring wide = WideFromUtf8(text);
  AppendMenuW(menu, MF_STRING, id, wide.c_str());
}

}  // namespace

void FolderListHost::OpenPair(const std::string& oldPath, const std::string& newPath,
                              bool isFolder, bool several) {
  if (isFolder)
    OpenFolderComparison(Window(), oldPath, newPath, several);
  else
    OpenTextComparison(nullptr, oldPath, newPath, several);
}

void FolderListHost::RunShellAction(ShellAction action, FolderListKind kind, size_t index) {
  const FolderComparison& comparison = Comparison();
  if (index >= comparison.lists[static_cast<size_t>(kind)].size()) return;
  // A copy: the error box lets other windows run, and the entry must not be
  // read after the lists may have been rebuilt.
  const FolderEntry entry = comparison.lists[static_cast<size_t>(kind)][index];
  FolderComparison roots;
  roots.oldRoot = comparison.oldRoot;
  roots.newRoot = comparison.newRoot;
  HWND owner = Window() ? Window()->hwnd() : nullptr;
  switch (action) {
    case ShellAction::OpenInApp: OpenInApp(owner, roots, kind, entry); break;
    case ShellAction::ExploreRoots: ExploreRoots(owner, roots, kind, entry); break;
    case ShellAction::ShowProperties: ShowProperties(owner, roots, kind, entry); break;
  }
}

bool FolderList::Offers(UINT id) const {
  switch (id) {
    case kOpenInApp:
    case kExplore:
    case kProperties: return true;
    case kUndo: return kind_ != FolderListKind::SameList;
    default: break;
  }
  const std::vector<UINT> items = ActionItems(kind_);
  return id != 0 && std::find(items.begin(), items.end(), id) != items.end();
}

HMENU FolderList::BuildContextMenu() const {
  bool single = false;
  const std::vector<size_t> rows = MenuRows(&single);
  const std::vector<FolderEntry>& entries = Entries();
  if (rows.empty()) return nullptr;
  bool undo = false;
  bool actionable = false;
  EntryState undoState = EntryState::Present;
  for (size_t row : rows) {
    if (row >= entries.size()) continue;
    const FolderEntry& entry = entries[row];
    if (ActedOn(entry)) {
      // The last acted-on entry in list order decides.
      undo = entry.undoable;
      undoState = entry.state;
    } else {
      actionable = true;
    }
  }
  if (kind_ == FolderListKind::SameList) undo = false;

  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  if (undo) {
    const std::string name = LoadResString(OperationNameOf(undoState));
    AppendItem(menu, kUndo,
               single ? FormatResString(IDS_MENU_UNDO_NAMED,
                                        {reinterpret_cast<DWORD_PTR>(name.c_str())})
                      : LoadResString(IDS_MENU_UNDO));
    if (actionable) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  }
  if (actionable) {
    for (UINT id : ActionItems(kind_)) {
      if (id)
        AppendItem(menu, id, LoadResString(CaptionOf(id)));
      else
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
  }
  if (undo || actionable) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  for (UINT id : {kOpenInApp, kExplore, kProperties}) {
    AppendItem(menu, id, LoadResString(CaptionOf(id)));
  }
  if (single && actionable) {
    const UINT preferred = EnterCommand();
    if (preferred) SetMenuDefaultItem(menu, preferred, FALSE);
  }
  return menu;
}

UINT FolderList::EnterCommand() const {
  switch (kind_) {
    case FolderListKind::OldList: return Settings.DblClickDefaults ? kDeleteOld : 0;
    case FolderListKind::NewList: return Settings.DblClickDefaults ? kCopyToOld : 0;
    case FolderListKind::ChangedList:
    case FolderListKind::SameList: break;
  }
  return kCompare;
}

void FolderList::DoubleClick() {
  const UINT id = EnterCommand();
  const int caret = CaretRow();
  if (id && caret >= 0) RunOn(id, {static_cast<size_t>(caret)});
}

void FolderList::RunCommand(UINT id) {
  if (!Offers(id)) return;
  const std::vector<size_t> rows = CommandRows();
  if (!rows.empty()) RunOn(id, rows);
}

void FolderList::RunOn(UINT id, const std::vector<size_t>& rows) {
  if (!Offers(id)) return;
  const unsigned generation = impl_->generation;
  const bool several = rows.size() > 1;
  for (size_t row : rows) {
    // The rows were rebuilt meanwhile (a refresh): the numbers are stale.
    if (impl_->generation != generation || row >= Entries().size()) return;
    switch (id) {
      case kCompare: CompareEntry(row, several); break;
      case kOpenInApp: host_.RunShellAction(ShellAction::OpenInApp, kind_, row); break;
      case kExplore: host_.RunShellAction(ShellAction::ExploreRoots, kind_, row); break;
      case kProperties: host_.RunShellAction(ShellAction::ShowProperties, kind_, row); break;
      default:
        if (!RunEntryOp(OperationOf(id), row)) return;
        break;
    }
  }
}

bool FolderList::RunEntryOp(FolderOperation op, size_t row) {
  FolderEntry& entry = Entries()[row];
  if (op == FolderOperation::Undo ? !ActedOn(entry) || !entry.undoable : ActedOn(entry)) {
    return true;  // nothing to do on this one; the run goes on
  }
  FolderComparison& comparison = host_.Comparison();
  const EntryState before = entry.state;
  const bool marks[2] = {comparison.modified[0], comparison.modified[1]};
  const unsigned generation = impl_->generation;
  const bool done = host_.RunOperation(op, kind_, row);
  if (impl_->generation != generation || row >= Entries().size()) return false;
  const bool marksSet = (comparison.modified[0] && !marks[0]) || (comparison.modified[1] && !marks[1]);
  if (Entries()[row].state != before || marksSet) host_.EntriesChanged(this, marksSet);
  return done;
}

void FolderList::CompareEntry(size_t row, bool several) {
  FolderEntry& entry = Entries()[row];
  if (ActedOn(entry)) return;
  FolderComparison& comparison = host_.Comparison();
  const bool marksWereSet = comparison.modified[0] && comparison.modified[1];
  entry.state = EntryState::Opened;
  entry.undoable = false;
  comparison.modified[0] = comparison.modified[1] = true;
  // Taken before the opener runs: opening subfolders in this window
  // refreshes it and rebuilds the lists.
  const std::string oldPath = JoinPath(comparison.oldRoot, entry.name);
  const std::string newPath = JoinPath(comparison.newRoot, entry.name);
  const bool isFolder = entry.isFolder;
  host_.EntriesChanged(this, !marksWereSet);
  host_.OpenPair(oldPath, newPath, isFolder, several);
}

}  // namespace qm
