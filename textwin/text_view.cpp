// TextView: creation, the message map, the comparison state (load, reset,
// save, swap, re-comparison after an edit) and the caret.
#include "textwin/text_view.h"

#include <windowsx.h>

#include <algorithm>

#include "controls/message_box.h"
#include "app/settings.h"
#include "resources/resource.h"
#include "textwin/text_view_internal.h"

namespace qm {

namespace {

// The commands the pane's menus and keys send that belong to the compare
// window (browse, save, save all, open, explore, properties).
constexpr UINT kWindowCommands[] = {ID_SIDE_BROWSE,      ID_SIDE_SAVE,    ID_SIDE_SAVE_AS,
                                    ID_SIDE_SAVE_ALL,    ID_SIDE_OPEN_IN_APP, ID_SIDE_EXPLORE,
                                    ID_SIDE_PROPERTIES};

}  // namespace

TextView::TextView(CompareDocument& document) : doc_(document), state_(document.State()) {
  state_.pane = this;
  doc_.AddView(this);
  WindowClassInfo& info = windowClass();
  info.className = kClassName;
  info.background = nullptr;
  info.cursor = LoadCursor(nullptr, IDC_ARROW);
}

TextView::~TextView() {
  // Destroy the window while the handlers' object is still whole; the
  // base's destructor would only see a half-destroyed object.
  if (hwnd()) DestroyWindow(hwnd());
  doc_.RemoveView(this);
  if (state_.pane == this) state_.pane = nullptr;
}

bool TextView::Create(HWND parent, UINT id, const RECT& rect, HWND verticalBar, HWND leftBar,
                      HWND rightBar, TextViewHost* host) {
  verticalBar_ = verticalBar;
  horizontalBar_[0] = leftBar;
  horizontalBar_[1] = rightBar;
  host_ = host;
  if (!WindowBase::Create(0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, rect.left,
                          rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))))
    return false;
  InstallUnicodeInput();
  return true;
}

void TextView::RegisterHandlers() {
  WindowBase::RegisterHandlers();
  HandlerMaps& m = maps();
  m.OnMessage(WM_CREATE, Bind(this, &TextView::OnCreate));
  m.OnMessage(WM_DESTROY, Bind(this, &TextView::OnDestroy));
  m.OnMessage(WM_SIZE, Bind(this, &TextView::OnSize));
  m.OnMessage(WM_SETFOCUS, Bind(this, &TextView::OnFocus));
  m.OnMessage(WM_KILLFOCUS, Bind(this, &TextView::OnFocus));
  m.OnMessage(WM_ERASEBKGND, Bind(this, &TextView::OnEraseBackground));
  m.OnMessage(WM_PAINT, Bind(this, &TextView::OnPaint));
  m.OnMessage(WM_VSCROLL, Bind(this, &TextView::OnVScroll));
  m.OnMessage(WM_HSCROLL, Bind(this, &TextView::OnHScroll));
  for (UINT id : kWindowCommands) m.OnCommand(id, Bind(this, &TextView::OnForwardCommand));
  RegisterInputHandlers(m);
}

// ---- Messages ----

LRESULT TextView::OnCreate(HWND hwnd, UINT, WPARAM, LPARAM) {
  display_ = Settings.DisplaySnapshot();
  showLineNumbers_ = display_.ShowLineNumbers;
  wordWrap_ = display_.WordWrap;
  WindowDC dc(hwnd);
  MakeFonts(dc.get(), 96, 100);
  RECT client{};
  GetClientRect(hwnd, &client);
  geometry_.width = client.right;
  geometry_.height = client.bottom;
  Reset();
  return 0;
}

LRESULT TextView::OnDestroy(HWND, UINT, WPARAM, LPARAM) {
  if (hasFocus_) DestroyCaret();
  hasFocus_ = false;
  backBuffer_.reset();
  fonts_.reset();
  return 0;
}

LRESULT TextView::OnSize(HWND, UINT, WPARAM, LPARAM lParam) {
  if (IsBusy()) {
    deferred_.size = true;
    deferred_.width = GET_X_LPARAM(lParam);
    deferred_.height = GET_Y_LPARAM(lParam);
    return 0;
  }
  geometry_.width = GET_X_LPARAM(lParam);
  geometry_.height = GET_Y_LPARAM(lParam);
  Layout();
  RefreshView();
  return 0;
}

LRESULT TextView::OnFocus(HWND, UINT msg, WPARAM, LPARAM) {
  hasFocus_ = msg == WM_SETFOCUS;
  if (hasFocus_) {
    CreateSystemCaret();
  } else {
    DestroyCaret();
    caretShown_ = false;
  }
  InvalidateRows(activeSide_, caretRow_, caretRow_);
  return 0;
}

LRESULT TextView::OnEraseBackground(HWND, UINT, WPARAM, LPARAM) { return 1; }

LRESULT TextView::OnForwardCommand(HWND hwnd, UINT, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(GetParent(hwnd), WM_COMMAND, wParam, lParam);
}

// ---- Comparison state ----

bool TextView::IsBusy() const { return host_ && host_->IsComparing(); }

CompareResult TextView::LoadAndCompare(const std::string& leftPath, const std::string& rightPath,
                                       const CompareSettings& settings,
                                       const CancelFlag* cancel) {
  return doc_.Compare(leftPath, rightPath, settings, cancel);
}

void TextView::FinishCompare() {
  if (deferred_.size) {
    geometry_.width = deferred_.width;
    geometry_.height = deferred_.height;
  }
  const bool display = deferred_.display;
  if (display) display_ = deferred_.settings;
  deferred_ = Deferred();
  if (display) RebuildDisplay();
  MeasureLongestLines();
  Layout();
  const DiffList& list = *state_.list;
  if (caretFromX_) {
    caretFromX_ = false;
    const int remembered = rememberedX_;
    SetCaretFields(caretRow_, OffsetAtPixel(activeSide_, caretRow_, rememberedX_), false);
    rememberedX_ = remembered;
  }
  const int other = 1 - activeSide_;
  caretOffset_[other] = list.Row(caretRow_).Offset(other);
  caretColumn_ = ColumnOf(activeSide_, caretRow_, caretOffset_[activeSide_]);
  RefreshView();
  if (host_) host_->OnCaretMoved(true);
}

void TextView::Reset() {
  doc_.Reset();
  ResetPositions();
  MeasureLongestLines();
  Layout();
  RefreshView();
}

bool TextView::SaveSide(int side, const std::string& path) {
  const bool wasReadOnly = state_.side[side].readOnly;
  const uint32_t error = doc_.Save(side, path);
  if (error == kOutOfMemoryError) {
    ShowOutOfMemoryMessage();
    return false;
  }
  if (error != 0) {
    const std::string reason = SystemMessage(error);
    ShowMessage(GetParent(hwnd()), IDS_SAVE_FAILED, MB_OK | MB_ICONERROR,
                {reinterpret_cast<DWORD_PTR>(reason.c_str())});
    return false;
  }
  if (host_) host_->OnSideSaved(side);
  if (wasReadOnly) InvalidateAll();
  return true;
}

void TextView::SwapSides() { doc_.SwapSides(); }

void TextView::OnDocumentChanged(DocumentChange change, int side) {
  if (change == DocumentChange::Replaced) {
    StartOverAfterReplace(side);
    return;
  }
  if (change == DocumentChange::Edited) {
    // The pane's own edits follow once the document call has returned; an
    // edit someone else made is followed at once.
    const int result = doc_.LastRealignment();
    if (result == kRecompareOutOfMemory || realignment_ == kRecompareOutOfMemory)
      realignment_ = kRecompareOutOfMemory;
    else
      realignment_ = std::max(realignment_, result);
    if (editDepth_ == 0 && hwnd()) FollowOutsideEdit();
    return;
  }
  if (change == DocumentChange::ModifiedState && editDepth_ == 0 && host_) {
    host_->OnContentChanged();
    return;
  }
  if (change != DocumentChange::Swapped) return;
  std::swap(hscroll_[0], hscroll_[1]);
  std::swap(longestLine_[0], longestLine_[1]);
  Layout();
  const int remembered = rememberedX_;
  SetCaretFields(caretRow_, OffsetAtPixel(activeSide_, caretRow_, rememberedX_), false);
  rememberedX_ = remembered;
  const int other = 1 - activeSide_;
  caretOffset_[other] = state_.list->Row(caretRow_).Offset(other);
  RefreshView();
  if (host_) {
    host_->OnContentChanged();
    host_->OnCaretMoved(false);
  }
}

int TextView::RecompareAfterEdit(int32_t firstRow, int32_t lastRow) {
  const bool wider = WidenLongestLines(firstRow, lastRow);
  int result = doc_.Recompare(firstRow, lastRow);
  if (result == kRecompareOutOfMemory) {
    // The rows stay as they were; the text change itself stands.
    ShowOutOfMemoryMessage();
    result = 1;
  }
  if (result == 2) {
    // Rows moved: the caret row follows the caret offset, not the index.
    const DiffList& list = *state_.list;
    const int32_t hint = std::min(caretRow_, list.RowCount() - 1);
    caretRow_ = list.FindRowByOffset(activeSide_, caretOffset_[activeSide_], hint);
    Layout();
    caretColumn_ = ColumnOf(activeSide_, caretRow_, caretOffset_[activeSide_]);
    RefreshView();
    if (host_) host_->OnContentChanged();
  } else {
    if (wider) UpdateScrollBars();
    InvalidateRows(result == 0 ? activeSide_ : -1, firstRow, lastRow);
  }
  return result;
}

// ---- PaneHooks (plain fields only: may run on the worker) ----

void TextView::RememberPositions() {
  saved_.topRow = topRow_;
  saved_.hscroll[0] = hscroll_[0];
  saved_.hscroll[1] = hscroll_[1];
  saved_.caretRow = caretRow_;
  saved_.rememberedX = rememberedX_;
}

void TextView::ResetPositions() {
  caretOffset_[0] = caretOffset_[1] = 0;
  hscroll_[0] = hscroll_[1] = 0;
  anchor_ = 0;
  caretRow_ = 0;
  caretColumn_ = 0;
  caretX_ = caretY_ = 0;
  rememberedX_ = 0;
  topRow_ = 0;
  caretFromX_ = false;
}

bool TextView::IsRepeatComparison() const {
  return host_ && host_->IsRepeatComparison();
}

void TextView::RestorePositions() {
  topRow_ = saved_.topRow;
  hscroll_[0] = saved_.hscroll[0];
  hscroll_[1] = saved_.hscroll[1];
  caretRow_ = saved_.caretRow;
  rememberedX_ = saved_.rememberedX;
}

void TextView::UpdateScrollRanges() { Layout(); }

void TextView::RecomputeLayout() { Layout(); }

void TextView::MoveCaretToRow(int32_t row) {
  SetCaretFields(row, state_.list->Row(row).Offset(activeSide_), false);
  rememberedX_ = 0;
}

void TextView::EnsureCaretVisible() {
  // The caret was put on the first difference: show it as navigation does.
  const DiffBlock block = state_.list->BlockAt(caretRow_, true);
  if (block.kind != RowKind::Same)
    topRow_ = TopRowForBlock(block, topRow_, geometry_.visibleRows);
  else if (caretRow_ < topRow_)
    topRow_ = caretRow_;
  else if (caretRow_ >= topRow_ + geometry_.visibleRows)
    topRow_ = caretRow_ - std::max(1, geometry_.visibleRows) + 1;
  hscroll_[activeSide_] = 0;  // the caret was put at a row start
  ClampPositions();
}

void TextView::RefreshPositions(bool repeat) {
  if (!repeat) {
    ResetPositions();
    return;
  }
  ClampPositions();
  caretFromX_ = true;
}

// ---- Caret ----

void TextView::SetCaretFields(int32_t row, uint32_t offset, bool extend) {
  // Whoever asks, the caret never stops inside a character.
  offset = CharStart(activeSide_, row, offset);
  caretRow_ = row;
  caretOffset_[activeSide_] = offset;
  if (!extend) anchor_ = offset;
  caretColumn_ = ColumnOf(activeSide_, row, offset);
}

void TextView::PlaceCaret(int32_t row, uint32_t offset, bool extend) {
  MoveCaret(row, offset, extend, false);
}

void TextView::MoveCaret(int32_t row, uint32_t offset, bool extend, bool keepX) {
  const DiffList& list = *state_.list;
  row = std::clamp<int32_t>(row, 0, list.RowCount() - 1);
  const int32_t previousRow = caretRow_;
  const uint32_t previousCaret = caretOffset_[activeSide_];
  const uint32_t previousAnchor = anchor_;
  SetCaretFields(row, offset, extend);
  if (!keepX) rememberedX_ = PixelOf(activeSide_, row, caretOffset_[activeSide_]);
  ScrollCaretIntoView();
  if (display_.DrawCaretBox && previousRow != caretRow_) {
    InvalidateRows(activeSide_, previousRow, previousRow);
    InvalidateRows(activeSide_, caretRow_, caretRow_);
  }
  RepaintSelectionChange(previousCaret, previousAnchor);
  UpdateCaretPixels();
  ShowCaret();
  NotifyCaret(previousRow);
}

void TextView::RepaintSelectionChange(uint32_t previousCaret, uint32_t previousAnchor) {
  const uint32_t caret = caretOffset_[activeSide_];
  if (previousCaret == previousAnchor && caret == anchor_) return;
  uint32_t low = std::min(previousCaret, caret);
  uint32_t high = std::max(previousCaret, caret);
  if (previousAnchor != anchor_) {
    low = std::min({low, previousAnchor, anchor_});
    high = std::max({high, previousAnchor, anchor_});
  }
  const DiffList& list = *state_.list;
  const int32_t first = list.FindRowByOffset(activeSide_, low, caretRow_);
  const int32_t last = list.FindRowByOffset(activeSide_, high, caretRow_);
  InvalidateRows(activeSide_, first, last);
}

void TextView::SetActiveSide(int side) {
  if (side == activeSide_) return;
  activeSide_ = side;
  const int remembered = rememberedX_;
  MoveCaret(caretRow_, OffsetAtPixel(side, caretRow_, rememberedX_), false, true);
  rememberedX_ = remembered;
  InvalidateAll();
}

void TextView::NotifyCaret(int32_t previousRow) {
  if (host_) host_->OnCaretMoved(previousRow != caretRow_);
}

// ---- Repainting ----

void TextView::InvalidateRows(int side, int32_t first, int32_t last) {
  if (!hwnd()) return;
  if (first > last) std::swap(first, last);
  const int32_t top = std::max(first, topRow_);
  const int32_t bottom = std::min(last, topRow_ + geometry_.visibleRows);
  if (top > bottom) return;
  RECT rect{0, (top - topRow_) * lineHeight_, geometry_.width,
            (bottom - topRow_ + 1) * lineHeight_};
  if (side == 0) rect.right = geometry_.side[0].right;
  if (side == 1) rect.left = geometry_.side[1].left;
  InvalidateRect(hwnd(), &rect, FALSE);
}

void TextView::InvalidateAll() {
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void TextView::ApplyDisplay(const DisplaySettings& snapshot, DisplayChange change) {
  if (change == DisplayChange::None) return;
  if (IsBusy()) {
    deferred_.display = true;
    deferred_.settings = snapshot;
    return;
  }
  display_ = snapshot;
  if (change == DisplayChange::Repaint) {
    backBuffer_.reset();
    InvalidateAll();
  } else {
    RebuildDisplay();
  }
}

void TextView::RebuildDisplay() {
  showLineNumbers_ = display_.ShowLineNumbers;
  wordWrap_ = display_.WordWrap;
  if (measuredTabStop_ != display_.TabStop) MeasureLongestLines();
  {
    WindowDC dc(hwnd());
    MakeFonts(dc.get(), 96, 100);
  }
  Layout();
  caretColumn_ = ColumnOf(activeSide_, caretRow_, caretOffset_[activeSide_]);
  UpdateScrollBars();
  if (hasFocus_) CreateSystemCaret();
  backBuffer_.reset();
  InvalidateAll();
}

}  // namespace qm
