// TextView: what the user does to the pane — keys, typed characters, the
// mouse (clicks, double and triple clicks, the divider, the gutters, the
// wheel and the auto-scroll timer) and the context menu. Files dropped on
// the pane go to the compare window, which accepts them for its children
// and finds the side under the drop point.
// Typing, the editing keys, the clipboard and text drag-and-drop are in
// text_view_input_edit.cpp.
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "app/command_states.h"
#include "app/common_commands.h"
#include "app/comparison_window.h"
#include "app/settings.h"
#include "controls/code_page.h"
#include "controls/module_instance.h"
#include "resources/resource.h"
#include "textwin/text_view.h"
#include "textwin/text_view_internal.h"
#include "textwin/word_moves.h"

namespace qm {

namespace {

constexpr UINT_PTR kAutoScrollTimer = 100;
constexpr UINT kAutoScrollMs = 50;
constexpr int kDividerGrip = 4;  // pixels either side of the divider

// Every TextView shares the class procedure of WindowBase; the pane's
// windows are made Unicode by a procedure in front of it that takes typed
// characters as UTF-16 and hands every other message on (as ANSI).
WNDPROC g_classProc = nullptr;

LRESULT CALLBACK UnicodeInputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CHAR || msg == WM_UNICHAR) {
    if (msg == WM_UNICHAR && wParam == UNICODE_NOCHAR) return TRUE;
    if (auto* view = dynamic_cast<TextView*>(WindowBase::FromHandle(hwnd))) {
      if (msg == WM_CHAR)
        view->TypeUtf16(static_cast<wchar_t>(wParam), LOWORD(lParam));
      else
        view->TypeCodePoint(static_cast<uint32_t>(wParam), 1);
      return 0;
    }
  }
  return CallWindowProcW(g_classProc, hwnd, msg, wParam, lParam);
}

}  // namespace

// ---- Set-up ----

void TextView::RegisterInputHandlers(HandlerMaps& m) {
  m.OnMessage(WM_KEYDOWN, Bind(this, &TextView::OnKeyDown));
  m.OnMessage(WM_KEYUP, Bind(this, &TextView::OnKeyUp));
  m.OnMessage(WM_LBUTTONDOWN, Bind(this, &TextView::OnLButtonDown));
  m.OnMessage(WM_MOUSEMOVE, Bind(this, &TextView::OnMouseMove));
  m.OnMessage(WM_LBUTTONUP, Bind(this, &TextView::OnLButtonUp));
  m.OnMessage(WM_CAPTURECHANGED, Bind(this, &TextView::OnCaptureChanged));
  m.OnMessage(WM_MBUTTONDOWN, Bind(this, &TextView::OnMButtonDown));
  m.OnMessage(WM_RBUTTONDOWN, Bind(this, &TextView::OnRButtonDown));
  m.OnMessage(WM_CONTEXTMENU, Bind(this, &TextView::OnContextMenu));
  m.OnMessage(WM_INITMENUPOPUP, Bind(this, &TextView::OnInitMenuPopup));
  m.OnMessage(WM_MOUSEWHEEL, Bind(this, &TextView::OnMouseWheel));
  m.OnMessage(WM_TIMER, Bind(this, &TextView::OnTimer));
  m.OnMessage(WM_SETCURSOR, Bind(this, &TextView::OnSetCursor));
  RegisterEditHandlers(m);
}

void TextView::InstallUnicodeInput() {
  HINSTANCE module = ModuleInstance();
  cursors_.gutter = LoadCursorA(module, MAKEINTRESOURCEA(IDCUR_GUTTER));
  cursors_.dropSame = LoadCursorA(module, MAKEINTRESOURCEA(IDCUR_DROP_SAME));
  cursors_.dropOther = LoadCursorA(module, MAKEINTRESOURCEA(IDCUR_DROP_OTHER));
  if (!hwnd() || IsWindowUnicode(hwnd())) return;
  const auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UnicodeInputProc)));
  if (!g_classProc) g_classProc = previous;
}

// ---- Positions ----

uint32_t TextView::RowStart(int32_t row) const {
  return state_.list->Row(row).Offset(activeSide_);
}

uint32_t TextView::RowTextEnd(int32_t row) const {
  return RowStart(row) +
         state_.list->RowTextLength(activeSide_, row, state_.side[activeSide_].doc);
}

void TextView::PlaceAt(uint32_t offset, bool extend) {
  const int32_t row = state_.list->FindRowByOffset(activeSide_, offset, caretRow_);
  PlaceCaret(row, offset, extend);
}

void TextView::SelectSpan(uint32_t anchor, uint32_t caret) {
  PlaceAt(anchor, false);
  PlaceAt(caret, true);
}

void TextView::SelectRows(int32_t first, int32_t last) {
  const DiffList& list = *state_.list;
  const int32_t lastRow = list.RowCount() - 1;
  first = std::clamp<int32_t>(first, 0, lastRow);
  last = std::clamp<int32_t>(last, 0, lastRow);
  // The rows and their LFs: from the first row's start to the row after the
  // last (or the end of the text).
  const auto end = [&](int32_t row) {
    return row < lastRow ? RowStart(row + 1) : state_.side[activeSide_].doc.Length();
  };
  if (first <= last)
    SelectSpan(RowStart(first), end(last));
  else
    SelectSpan(end(first), RowStart(last));
}

void TextView::MoveByCharacter(bool right, bool extend) {
  const DiffList& list = *state_.list;
  const uint32_t caret = caretOffset_[activeSide_];
  const DocChars text(state_.side[activeSide_].doc, IsUtf8(activeSide_) ? nullptr : LegacyCharTable());
  if (!right) {
    if (caret > RowStart(caretRow_))
      PlaceCaret(caretRow_, text.PreviousStart(caret), extend);
    else if (caretRow_ > 0)
      PlaceCaret(caretRow_ - 1, RowTextEnd(caretRow_ - 1), extend);
    return;
  }
  const uint32_t end = RowTextEnd(caretRow_);
  if (caret < end) {
    // One display cell: past anything the pane draws as one character.
    uint32_t next = text.NextStart(caret);
    while (next < end && CharStart(activeSide_, caretRow_, next) <= caret) next = text.NextStart(next);
    PlaceCaret(caretRow_, std::min(next, end), extend);
  } else if (caretRow_ < list.RowCount() - 1) {
    PlaceCaret(caretRow_ + 1, RowStart(caretRow_ + 1), extend);
  }
}

void TextView::MoveByWord(bool right, bool extend) {
  const DocChars text(state_.side[activeSide_].doc, IsUtf8(activeSide_) ? nullptr : LegacyCharTable());
  const uint32_t caret = caretOffset_[activeSide_];
  PlaceAt(right ? WordRight(text, caret) : WordLeft(text, caret), extend);
}

void TextView::SelectAll() {
  SelectSpan(0, state_.side[activeSide_].doc.Length());
}

void TextView::SwitchSide() {
  SetActiveSide(1 - activeSide_);
  if (host_) host_->OnContentChanged();
}

// ---- Keys ----

LRESULT TextView::OnKeyDown(HWND, UINT, WPARAM wParam, LPARAM) {
  if (GetKeyState(VK_MENU) < 0) {
    ctrlKey_ = false;
    return 0;
  }
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  ctrlKey_ = ctrl;
  const bool dragging = drag_.state == DragState::Dragging;
  const int32_t page = std::max(1, geometry_.visibleRows);
  const int32_t lastRow = state_.list->RowCount() - 1;
  switch (wParam) {
    case VK_ESCAPE:
      if (dragging) CancelTextDrag();
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      const int32_t delta = wParam == VK_PRIOR ? -page : page;
      ScrollVerticallyTo(topRow_ + delta);
      if (!ctrl && !dragging) MoveCaretByRows(delta, shift);
      if (dragging) FollowMouse();
      break;
    }
    case VK_UP:
    case VK_DOWN: {
      const int32_t delta = wParam == VK_UP ? -1 : 1;
      if ((ctrl && !shift) || dragging) {
        ScrollVerticallyTo(topRow_ + delta);
        if (dragging) FollowMouse();
      } else {
        MoveCaretByRows(delta, shift);
      }
      break;
    }
    case VK_HOME:
      if (ctrl) {
        ScrollVerticallyTo(0);
        PlaceCaret(0, RowStart(0), shift);
      } else {
        PlaceCaret(caretRow_, RowStart(caretRow_), shift);
      }
      break;
    case VK_END:
      if (ctrl) {
        ScrollVerticallyTo(geometry_.maxTopRow);
        PlaceCaret(lastRow, RowTextEnd(lastRow), shift);
      } else {
        PlaceCaret(caretRow_, RowTextEnd(caretRow_), shift);
      }
      break;
    case VK_LEFT:
    case VK_RIGHT:
      if (ctrl)
        MoveByWord(wParam == VK_RIGHT, shift);
      else
        MoveByCharacter(wParam == VK_RIGHT, shift);
      break;
    case VK_INSERT:
      if (!ctrl && !shift) {
        SetOverwrite(!IsOverwrite());
        if (hasFocus_) CreateSystemCaret();  // a block caret in overwrite mode
      }
      break;
    case VK_F4:
      if (!ctrl) SwitchSide();
      break;
    default:
      EditKey(static_cast<UINT>(wParam), ctrl, shift);
      break;
  }
  return 0;
}

LRESULT TextView::OnKeyUp(HWND, UINT, WPARAM, LPARAM) {
  ctrlKey_ = false;
  return 0;
}

// ---- Mouse ----

bool TextView::OnDivider(int x) const { return std::abs(x - geometry_.split) <= kDividerGrip; }

int TextView::GutterSideAt(int x) const {
  for (int side = 0; side < 2; ++side)
    if (x >= geometry_.side[side].left && x < geometry_.side[side].textStart) return side;
  return -1;
}

int TextView::CountClick(int x, int y) {
  const DWORD now = static_cast<DWORD>(GetMessageTime());
  const int32_t row = RowAtY(y);
  const bool again = clicks_.count > 0 && now - clicks_.time <= GetDoubleClickTime() &&
                     row == clicks_.row &&
                     std::abs(x - clicks_.x) <= GetSystemMetrics(SM_CXDOUBLECLK);
  const int click = again ? clicks_.count + 1 : 1;
  clicks_.count = click >= 3 ? 0 : click;
  clicks_.time = now;
  clicks_.row = row;
  clicks_.x = x;
  return click;
}

LRESULT TextView::OnLButtonDown(HWND hwnd, UINT, WPARAM wParam, LPARAM lParam) {
  SetFocus(hwnd);
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  const bool ctrl = (wParam & MK_CONTROL) != 0;
  const bool shift = (wParam & MK_SHIFT) != 0;
  lastMouse_ = POINT{x, y};
  if (drag_.state == DragState::Dragging) return 0;
  const int click = CountClick(x, y);
  if (click == 2) {
    if (OnDivider(x)) {
      SetSplitRatio(0.5f);
    } else if (ctrl) {
      drag_ = Drag();
      CopyBlock(1 - activeSide_, shift);
    } else {
      SelectWordAtCaret();
    }
    return 0;
  }
  if (click == 3) {
    SelectRows(caretRow_, caretRow_);
    return 0;
  }
  if (OnDivider(x)) {
    dividerDrag_ = true;
    SetCapture(hwnd);
    return 0;
  }
  const int side = x > geometry_.split ? 1 : 0;
  const bool sameSide = side == activeSide_;
  if (!sameSide) SetActiveSide(side);
  int32_t row = 0;
  uint32_t offset = 0;
  HitTest(side, x, y, &row, &offset);
  if (ctrl) {
    PlaceCaret(row, offset, false);
    if (!state_.list->IsFiller(side, row)) {
      drag_.state = DragState::Candidate;
      drag_.press = POINT{x, y};
      drag_.lineOnly = shift;
    }
  } else if (GutterSideAt(x) == side) {
    SelectRows(row, row);
    gutterRow_ = row;
    gutterSelect_ = true;
    clicks_.count = 0;
  } else {
    PlaceCaret(row, offset, sameSide && shift);
    selecting_ = true;
  }
  SetCapture(hwnd);
  return 0;
}

void TextView::SelectWordAtCaret() {
  const DocChars text(state_.side[activeSide_].doc, IsUtf8(activeSide_) ? nullptr : LegacyCharTable());
  const WordSpan span = WordAt(text, caretOffset_[activeSide_]);
  if (span.start == span.end) return;
  SelectSpan(span.start, span.end);
  word_ = span;
  wordSelect_ = true;
  SetCapture(hwnd());
}

void TextView::ExtendSelectionTo(int x, int y) {
  // Above or below the pane the selection reaches the edge row; the
  // auto-scroll timer brings the rows beyond in one at a time.
  y = std::clamp(y, 0, std::max(0, geometry_.visibleRows * lineHeight_ - 1));
  if (gutterSelect_) {
    if (x < geometry_.side[activeSide_].textStart) {
      const int32_t row = RowAtY(y);
      SelectRows(gutterRow_, row);
      return;
    }
    // Into the text: from here on the selection follows the characters,
    // under the arrow again.
    gutterSelect_ = false;
    selecting_ = true;
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
  }
  int32_t row = 0;
  uint32_t offset = 0;
  HitTest(activeSide_, x, y, &row, &offset);
  if (wordSelect_) {
    const DocChars text(state_.side[activeSide_].doc,
                        IsUtf8(activeSide_) ? nullptr : LegacyCharTable());
    const WordSpan here = WordAt(text, offset);
    if (offset < word_.start)
      SelectSpan(word_.end, here.start);
    else if (offset > word_.end)
      SelectSpan(word_.start, here.end);
    else
      SelectSpan(word_.start, word_.end);
    return;
  }
  if (row != caretRow_ || offset != caretOffset_[activeSide_]) PlaceCaret(row, offset, true);
}

void TextView::FollowMouse() {
  if (drag_.state == DragState::Dragging)
    UpdateDropTarget(lastMouse_.x, lastMouse_.y);
  else if (selecting_ || gutterSelect_ || wordSelect_)
    ExtendSelectionTo(lastMouse_.x, lastMouse_.y);
}

LRESULT TextView::OnMouseMove(HWND hwnd, UINT, WPARAM, LPARAM lParam) {
  if (GetCapture() != hwnd) return 0;
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  lastMouse_ = POINT{x, y};
  if (dividerDrag_) {
    if (geometry_.width > 0) SetSplitRatio((x + 0.5f) / geometry_.width);
    return 0;
  }
  if (drag_.state == DragState::Candidate) {
    // A small jitter of the press is no drag.
    if (std::abs(x - drag_.press.x) <= 4 && std::abs(y - drag_.press.y) < 5) return 0;
    StartTextDrag();
  }
  if (drag_.state != DragState::Dragging && !selecting_ && !gutterSelect_ && !wordSelect_)
    return 0;
  UpdateAutoScroll(y);
  FollowMouse();
  return 0;
}

void TextView::UpdateAutoScroll(int y) {
  int direction = 0;
  if (y < 0 && topRow_ > 0) direction = 1;
  if (y >= geometry_.height && topRow_ < geometry_.maxTopRow) direction = 2;
  if (direction && !autoScroll_) SetTimer(hwnd(), kAutoScrollTimer, kAutoScrollMs, nullptr);
  if (!direction && autoScroll_) KillTimer(hwnd(), kAutoScrollTimer);
  autoScroll_ = direction;
}

LRESULT TextView::OnTimer(HWND hwnd, UINT, WPARAM wParam, LPARAM) {
  if (wParam != kAutoScrollTimer) return 0;
  if (!autoScroll_ || GetCapture() != hwnd) {
    KillTimer(hwnd, kAutoScrollTimer);
    autoScroll_ = 0;
    return 0;
  }
  ScrollVerticallyTo(topRow_ + (autoScroll_ == 1 ? -1 : 1));
  FollowMouse();
  UpdateAutoScroll(lastMouse_.y);
  return 0;
}

void TextView::EndMouseModes() {
  dividerDrag_ = false;
  gutterSelect_ = false;
  wordSelect_ = false;
  selecting_ = false;
  if (drag_.state == DragState::Candidate) drag_ = Drag();
  if (autoScroll_) KillTimer(hwnd(), kAutoScrollTimer);
  autoScroll_ = 0;
}

LRESULT TextView::OnLButtonUp(HWND hwnd, UINT, WPARAM, LPARAM lParam) {
  lastMouse_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const bool dropping = drag_.state == DragState::Dragging;
  EndMouseModes();
  if (dropping) DropDraggedText();
  if (GetCapture() == hwnd) ReleaseCapture();
  return 0;
}

LRESULT TextView::OnCaptureChanged(HWND hwnd, UINT, WPARAM, LPARAM lParam) {
  // Losing the mouse to another window ends whatever it was doing; a drag
  // in flight is cancelled, never dropped.
  if (reinterpret_cast<HWND>(lParam) == hwnd) return 0;
  if (drag_.state == DragState::Dragging) CancelTextDrag();
  EndMouseModes();
  return 0;
}

LRESULT TextView::OnMButtonDown(HWND, UINT, WPARAM, LPARAM) {
  clicks_.count = 0;
  return 0;
}

LRESULT TextView::OnRButtonDown(HWND hwnd, UINT, WPARAM, LPARAM lParam) {
  SetFocus(hwnd);
  if (drag_.state == DragState::Dragging) {
    CancelTextDrag();
    return 0;
  }
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  const int side = x > geometry_.split ? 1 : 0;
  SetActiveSide(side);
  int32_t row = 0;
  uint32_t offset = 0;
  HitTest(side, x, y, &row, &offset);
  PlaceCaret(row, offset, false);
  POINT point{x, y};
  ClientToScreen(hwnd, &point);
  ShowContextMenu(side, point);
  return 0;
}

LRESULT TextView::OnMouseWheel(HWND hwnd, UINT, WPARAM wParam, LPARAM lParam) {
  wheelDelta_ += GET_WHEEL_DELTA_WPARAM(wParam);
  const int32_t lines = display_.WheelScrollLines == WHEEL_PAGESCROLL
                            ? std::max(1, geometry_.visibleRows)
                            : static_cast<int32_t>(display_.WheelScrollLines);
  bool scrolled = false;
  while (wheelDelta_ >= WHEEL_DELTA) {
    wheelDelta_ -= WHEEL_DELTA;
    ScrollVerticallyTo(topRow_ - lines);
    scrolled = true;
  }
  while (wheelDelta_ <= -WHEEL_DELTA) {
    wheelDelta_ += WHEEL_DELTA;
    ScrollVerticallyTo(topRow_ + lines);
    scrolled = true;
  }
  if (scrolled && GetCapture() == hwnd) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(hwnd, &point);
    lastMouse_ = point;
    FollowMouse();
  }
  return 0;
}

LRESULT TextView::OnSetCursor(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (drag_.state == DragState::Dragging) {
    SetCursor(DropCursor());
    return TRUE;
  }
  POINT point{};
  GetCursorPos(&point);
  ScreenToClient(hwnd, &point);
  if (dividerDrag_ || OnDivider(point.x)) {
    SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
    return TRUE;
  }
  if ((GutterSideAt(point.x) >= 0 || gutterSelect_) && cursors_.gutter) {
    SetCursor(cursors_.gutter);
    return TRUE;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---- Context menu ----

UINT TextView::ContextMenuId(RowKind kind, int side) {
  switch (kind) {
    case RowKind::Same: return IDR_MENU_PANE_SAME;
    case RowKind::LeftOnly: return side == 0 ? IDR_MENU_PANE_LEFT : IDR_MENU_PANE_FILLER;
    case RowKind::RightOnly: return side == 0 ? IDR_MENU_PANE_FILLER : IDR_MENU_PANE_RIGHT;
    case RowKind::Changed: return side == 0 ? IDR_MENU_PANE_LEFT : IDR_MENU_PANE_RIGHT;
  }
  return IDR_MENU_PANE_SAME;
}

void TextView::ShowContextMenu(int side, POINT screen) {
  HMENU menu = LoadMenuA(ModuleInstance(),
                         MAKEINTRESOURCEA(ContextMenuId(state_.list->Kind(caretRow_), side)));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu, 0);
  const UINT command = popup ? static_cast<UINT>(TrackPopupMenu(
                                   popup, TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.x, screen.y, 0,
                                   hwnd(), nullptr))
                             : 0;
  DestroyMenu(menu);
  // Through the compare window, whose gate every command passes.
  if (command) SendMessageA(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

LRESULT TextView::OnContextMenu(HWND hwnd, UINT, WPARAM, LPARAM lParam) {
  // The mouse opened the menu on the button's press already; only the
  // keyboard's request (the menu key, Shift+F10) is answered here.
  if (lParam != -1) return 0;
  POINT point{geometry_.side[activeSide_].textStart + std::max(0, caretX_),
              caretY_ + lineHeight_};
  ClientToScreen(hwnd, &point);
  ShowContextMenu(activeSide_, point);
  return 0;
}

CommandContext TextView::PaneCommandContext() const {
  CommandContext c;
  for (int side = 0; side < 2; ++side) {
    c.loaded[side] = doc_.IsLoaded(side);
    c.modified[side] = doc_.IsModified(side);
    c.readOnly[side] = doc_.IsReadOnly(side);
  }
  c.activeSide = activeSide_;
  c.hasSelection = HasSelection();
  c.diffCount = DiffCount();
  c.canUndo = doc_.CanUndo();
  c.canRedo = doc_.CanRedo();
  return c;
}

LRESULT TextView::OnInitMenuPopup(HWND hwnd, UINT, WPARAM wParam, LPARAM lParam) {
  if (HIWORD(lParam)) return 0;
  HMENU popup = reinterpret_cast<HMENU>(wParam);
  // The compare window's command states, the ones its gate applies; a pane
  // without one (a test's frame) asks the same table with its own state.
  const auto* window = dynamic_cast<ComparisonWindow*>(WindowBase::FromHandle(GetParent(hwnd)));
  if (window)
    ApplyCommandStates(popup, [window](UINT id) { return window->CommandStateOf(id); });
  else
    ApplyCommandStates(popup, [this](UINT id) { return EvaluateCommand(id, PaneCommandContext()); });
  return 0;
}

}  // namespace qm
