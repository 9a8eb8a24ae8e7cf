// TextView: the text pane of a text comparison, window class "TextView".
//
// One child window draws both sides of a comparison as aligned rows: the
// left side, a 20-pixel strip of difference arrows, the right side, each side
// with a line-number gutter. The pane is a view of a CompareDocument (both
// sides, the DiffList, the edit history), which the compare window owns and
// lends it; the pane owns the caret, selection and scroll positions over it
// and draws from its own snapshot of the display settings. The window
// creates the pane, hands it the three scroll bars it owns (one vertical bar
// shared by both sides, one horizontal bar per side) and forwards their
// WM_VSCROLL and WM_HSCROLL unchanged.
//
// Threads. LoadAndCompare runs on the comparison worker while the user-
// interface thread sits in the progress dialog; the pane's PaneHooks then
// touch plain fields only. Everything else, and FinishCompare, runs on the
// user-interface thread. While the owner reports a comparison in progress
// (TextViewHost::IsComparing) the pane paints only its background.
//
// Text. A side's document holds bytes: UTF-8 when its encoding is any but
// the legacy one, else single-byte text in the legacy code page. Columns,
// the caret, selections and highlights go by characters (display cells,
// pane_layout.h); the caret never rests inside one. A row is decoded only
// when it is painted or measured, and drawn with the W functions.
//
// Painting. WM_PAINT draws through Paint(hdc, rect) into a back buffer with
// the row painter (row_painter.h), which draws printed pages too.
// Only the rows inside the update rectangle are drawn, and nothing per paint
// or per scroll walks the whole list.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/command_states.h"
#include "controls/window_base.h"
#include "engine/compare_state.h"
#include "app/display_settings.h"
#include "textwin/compare_document.h"
#include "textwin/word_moves.h"
#include "textwin/row_painter.h"

namespace qm {

struct CellRules;
struct DisplayCell;

// What the pane asks of and reports to the window that owns it.
class TextViewHost {
public:
  virtual ~TextViewHost() = default;
  // The caret was placed; rowChanged when it moved to another row.
  virtual void OnCaretMoved(bool /*rowChanged*/) {}
  // The text or the rows changed (an edit, a save, a swap); the summary bar
  // and status texts follow.
  virtual void OnContentChanged() {}
  // A comparison is running: paint only the background.
  virtual bool IsComparing() const { return false; }
  // The comparison being loaded repeats the previous one (same two names):
  // positions are kept. Read on the worker thread.
  virtual bool IsRepeatComparison() const { return false; }
  // The edit history's per-side state.
  virtual bool IsSideModified(int /*side*/) const { return false; }
  virtual void OnSideSaved(int /*side*/) {}
};

class TextView : public WindowBase, private PaneHooks, private DocumentView {
public:
  static constexpr char kClassName[] = "TextView";
  // The least horizontal range of a side; a wider line widens it.
  static constexpr int32_t kHorizontalColumns = 5000;

  // The pane shows document (borrowed; it must outlive the pane) and
  // registers itself as one of its views.
  explicit TextView(CompareDocument& document);
  ~TextView() override;

  // Creates the pane as a visible child of parent with control id id. The
  // three scroll bars belong to the parent; host (borrowed, may be null)
  // must outlive the pane. Returns false when the window was not created.
  bool Create(HWND parent, UINT id, const RECT& rect, HWND verticalBar, HWND leftBar,
              HWND rightBar, TextViewHost* host);

  // ---- Comparison state ----
  CompareDocument& Document() { return doc_; }
  CompareState& State() { return state_; }
  const CompareState& State() const { return state_; }
  const DiffList& List() const { return *state_.list; }
  // Worker thread: loads and compares both files into the pane's state
  // (engine LoadAndCompare with the pane as its hooks). Touches no window.
  CompareResult LoadAndCompare(const std::string& leftPath, const std::string& rightPath,
                               const CompareSettings& settings, const CancelFlag* cancel);
  // User-interface thread, after LoadAndCompare (or any rebuild of the list
  // outside the pane), whether or not the host still reports the comparison:
  // applies what waited (size, display settings), the layout, scroll bars
  // and caret, and repaints.
  void FinishCompare();
  // Empties the document (one unchanged row), positions to the start.
  void Reset();
  // Writes side s to path in its line-ending format (through the document,
  // which refuses a side that was never loaded). On failure shows "Could
  // not save the file" with the system's reason (or the out-of-memory
  // message) owned by the parent, and returns false; the side is unchanged.
  bool SaveSide(int side, const std::string& path);
  // Exchanges the document's two sides; the active side, caret row and
  // remembered x stay, the caret offset is found again, the selection
  // collapses.
  void SwapSides();
  // Re-compares rows firstRow..lastRow after an edit of the active side
  // (with the document's compare options) and repaints by the result: 0 the dirty rows of the active side, 1 the dirty
  // rows of both sides, 2 everything (renumbered list, caret row found again
  // from its offset, scroll range and gutters refreshed). Returns the result.
  int RecompareAfterEdit(int32_t firstRow, int32_t lastRow);

  // ---- Editing (text_view_edit.cpp) ----
  // Commands: the window runs Undo, Redo, the merges and Replace itself
  // through these calls, behind its command gate. It forwards Cut, Copy,
  // Paste, Delete, Select All and the clipboard merges (20510, 20511) to
  // the pane as WM_COMMAND, for the pane's input code to handle. A context
  // menu's command goes to the window (WM_COMMAND to the parent) so that
  // the gate sees it too.
  // Every change goes through the document as one undo step; the pane
  // follows with its caret and repaints as the re-alignment reported. Each
  // returns false and changes nothing on a side that is read-only, was never
  // loaded, while a comparison runs, or when there is nothing to do.
  bool CanEdit(int side) const;
  // After a document edit: side becomes active with its caret and anchor
  // at the offsets (clamped, row found from the caret), the rows of the
  // edited span [spanStart, spanEnd) of spanSide are measured, the pane
  // repaints and the caret is scrolled into view; the host hears of it.
  void FollowEdit(int side, uint32_t caret, uint32_t anchor, int spanSide = -1,
                  uint32_t spanStart = 0, uint32_t spanEnd = 0);
  // Inserts bytes at the caret of the active side, replacing the selection.
  bool InsertAtCaret(const std::string& bytes);
  // Overwrite mode: the character under the caret becomes character (the
  // caller checks it is not the LF or the end of the text).
  bool OverwriteAtCaret(const std::string& character);
  // Deletes [from, to) of the active side; the caret ends at from.
  bool DeleteRange(uint32_t from, uint32_t to);
  bool DeleteSelection();
  // The selection of the active side, and the block (or line) at the caret
  // row of the active side, as bytes of that side.
  std::string SelectedText() const;
  std::string BlockText(bool lineOnly) const;
  // Merges at the caret row: copy towards toSide, delete from the active side.
  bool CanCopyTo(int toSide) const;
  bool CanDeleteBlock() const;
  bool CopyBlock(int toSide, bool lineOnly);
  bool DeleteBlock(bool lineOnly);
  // Replaces side by the other (the document writes it through write);
  // returns write's code. The pane starts over at the first row.
  uint32_t ReplaceSide(int side, const CompareDocument::SideWriter& write);
  bool Undo();
  bool Redo();
  bool IsOverwrite() const { return overwrite_; }
  void SetOverwrite(bool on) { overwrite_ = on; }
  // Text between the side's bytes (UTF-8, or the legacy code page) and UTF-16.
  // lossy (may be null) is set when a legacy side has no byte for some
  // character (it becomes "?").
  std::string BytesForSide(int side, const std::wstring& text, bool* lossy = nullptr) const;
  std::wstring WideFromSide(int side, const std::string& bytes) const;

  // ---- View ----
  // The fraction of the width left of the divider (kept in [100, width-100]
  // pixels). Re-measures, re-clamps the scroll positions and repaints.
  void SetSplitRatio(float ratio);
  float SplitRatio() const { return ratio_; }
  // New display settings and what they ask for: a repaint, or new fonts
  // and layout (font, line numbers, white space, tab stop, word wrap) and a
  // repaint. While a comparison runs the relayout waits for FinishCompare.
  void ApplyDisplay(const DisplaySettings& snapshot, DisplayChange change);
  // Moves the caret to the next / previous difference (wrapping as the
  // WrapAround setting says) and scrolls it into view; false when there is
  // none, nothing moved.
  bool GoToNextDifference();
  bool GoToPreviousDifference();
  // The caret to the start of row (clamped) on the active side, the
  // selection collapsed; the row is centred when it was out of view.
  void GoToRow(int32_t row);
  // The caret to the start of block's first row on the active side, the
  // selection collapsed, the block scrolled into view as navigation does.
  void GoToBlock(const DiffBlock& block);
  // Places the caret at a row and offset of the active side, collapses the
  // selection unless extend, scrolls it into view and notifies the host.
  void PlaceCaret(int32_t row, uint32_t offset, bool extend);
  // Selects bytes [start, end) of a row of the active side (a match of
  // Find): the row is scrolled into view as a difference is, the anchor
  // goes to start and the caret to end (to the next row's start when the
  // match takes the row's LF).
  void SelectInRow(int32_t row, uint32_t start, uint32_t end);
  // Makes side the active one; the caret keeps its row and takes the
  // position nearest the remembered x there.
  void SetActiveSide(int side);
  // Scrolls so that top is the first visible row (clamped).
  void ScrollToRow(int32_t top);
  // Sets a side's horizontal position in columns (clamped; with SyncScroll
  // the other side follows).
  void ScrollHorizontally(int side, int32_t column);

  // ---- Queries ----
  int ActiveSide() const { return activeSide_; }
  int32_t CaretRow() const { return caretRow_; }
  // The caret row's real line on the active side (0-based), -1 on a filler.
  int32_t CaretLine() const;
  int32_t CaretColumn() const { return caretColumn_; }
  uint32_t CaretOffset(int side) const { return caretOffset_[side]; }
  uint32_t AnchorOffset() const { return anchor_; }
  int32_t DiffCount() const { return state_.list->diffCount; }
  int32_t DiffLineCount() const { return state_.list->diffLineCount; }
  bool HasSelection() const { return anchor_ != caretOffset_[activeSide_]; }
  bool IsReadOnly(int side) const { return state_.side[side].readOnly; }
  LineFormat Format(int side) const { return state_.side[side].format; }
  bool IsSideModified(int side) const;
  int32_t TopRow() const { return topRow_; }
  int32_t HorizontalScroll(int side) const { return hscroll_[side]; }
  // Columns a side's horizontal scroll bar spans: its widest line and one.
  int32_t ColumnRange(int side) const;
  const PaneGeometry& Geometry() const { return geometry_; }
  int LineHeight() const { return lineHeight_; }
  int CharWidth() const { return charWidth_; }

  // Row and offset under a pane point on side (clamped to the rows and to
  // the row's text, before its final LF).
  void HitTest(int side, int x, int y, int32_t* row, uint32_t* offset);
  // Display column and pixel x (from the text start, before horizontal
  // scrolling) of an offset within a row of a side.
  int32_t ColumnOf(int side, int32_t row, uint32_t offset) const;
  int PixelOf(int side, int32_t row, uint32_t offset);

  // ---- Drawing ----
  // Draws the part rect of the pane (pane coordinates) onto dc.
  void Paint(HDC dc, const RECT& rect);
  // What the pane draws its rows from (printing draws pages from the same
  // state and settings with a geometry and fonts of its own).
  const DisplaySettings& Display() const { return display_; }

  // ---- Input (text_view_input.cpp, text_view_input_edit.cpp) ----
  // Selects the whole text of the active side.
  void SelectAll();
  // F4: the other side becomes active; the caret keeps its row and takes
  // the position nearest the remembered x there, the selection collapses.
  void SwitchSide();
  // The clipboard: the selection of the active side as CF_UNICODETEXT and
  // CF_TEXT (LF as CR LF, NUL as a space); paste replaces the selection
  // with the clipboard's text (CR LF as LF) as one undo step. False when
  // nothing was done: no selection, a read-only side, an empty or unreadable
  // clipboard (then string 48 was shown) or memory ran out (the same).
  bool CopySelection();
  bool CutSelection();
  bool PasteClipboard();
  // The caret line (lineOnly) or the block at the caret row of the active
  // side to the clipboard (commands 20510 and 20511).
  bool CopyBlockToClipboard(bool lineOnly);
  // Typed characters (WM_CHAR of the Unicode window procedure): a UTF-16
  // unit (a high surrogate waits for its low one) or a whole code point,
  // repeat times.
  void TypeUtf16(wchar_t unit, int repeat);
  void TypeCodePoint(uint32_t code, int repeat);
  bool IsTextDragging() const { return drag_.state == DragState::Dragging; }
  // The context menu for a caret row of kind on side (resource id).
  static UINT ContextMenuId(RowKind kind, int side);

protected:
  void RegisterHandlers() override;

private:
  struct Fonts;
  struct BackBuffer;
  struct Saved {
    int32_t topRow = 0;
    int32_t hscroll[2] = {0, 0};
    int32_t caretRow = 0;
    int rememberedX = 0;
  };

  // DocumentView.
  void OnDocumentChanged(DocumentChange change, int side) override;
  // Caret place handed to the document with an edit of the active side.
  CaretPlace CaretForRecord() const;
  // An edit the document made while the pane was not the one asking (the
  // window's own calls): the pane finds its caret again.
  void FollowOutsideEdit();
  // A side was replaced by the other: new rows, the caret at the first row.
  void StartOverAfterReplace(int side);

  // PaneHooks (worker thread during LoadAndCompare: plain fields only).
  void RememberPositions() override;
  void ResetPositions() override;
  bool IsRepeatComparison() const override;
  void RestorePositions() override;
  void UpdateScrollRanges() override;
  void RecomputeLayout() override;
  void MoveCaretToRow(int32_t row) override;
  void EnsureCaretVisible() override;
  void RefreshPositions(bool repeat) override;

  // Message handlers.
  LRESULT OnCreate(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnDestroy(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnSize(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnFocus(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnEraseBackground(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnPaint(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnVScroll(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnHScroll(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnForwardCommand(HWND, UINT, WPARAM, LPARAM);

  // Layout (text_view_layout.cpp).
  void MakeFonts(HDC dc, int dpiY, int scalePercent);
  void Layout();
  void ClampPositions();
  void UpdateScrollBars();
  // After the layout changed: scroll bars, caret and a full repaint.
  void RefreshView();
  void UpdateCaretPixels();
  // The widest line of each side, measured over both documents when a
  // comparison is laid out; after an edit only the edited rows are
  // measured, and the width only grows. True when a side grew.
  void MeasureLongestLines();
  bool WidenLongestLines(int32_t firstRow, int32_t lastRow);
  void ShowCaret();
  void CreateSystemCaret();
  int32_t RowAtY(int y) const;
  int CellWidth(HDC dc, const DisplayCell& cell) const;
  // How side's bytes are read: in characters on a UTF-8 side (any side
  // whose encoding is not the legacy one), a byte at a time otherwise.
  bool IsUtf8(int side) const;
  CellRules Rules(int side) const;
  // offset moved back to the start of the character that holds it, within
  // a row of side; offsets on a legacy side, and outside the row, stay.
  uint32_t CharStart(int side, int32_t row, uint32_t offset) const;
  // The offset of a row of side nearest x pixels from its text start.
  uint32_t OffsetAtPixel(int side, int32_t row, int x);
  // Caret and anchor to a row and offset without scrolling or repainting.
  void SetCaretFields(int32_t row, uint32_t offset, bool extend);
  // Caret placement with scrolling, repainting and notification; keepX
  // keeps the remembered x (vertical moves).
  void MoveCaret(int32_t row, uint32_t offset, bool extend, bool keepX);
  void MoveCaretByRows(int32_t delta, bool extend);
  void RepaintSelectionChange(uint32_t previousCaret, uint32_t previousAnchor);

  // Scrolling (text_view_scroll.cpp).
  void ScrollVerticallyTo(int32_t top);
  void ScrollSideTo(int side, int32_t column);
  void ScrollCaretIntoView();
  void ScrollBlockIntoView(const DiffBlock& block);
  bool GoToDifference(bool next);

  // Repainting.
  void InvalidateRows(int side, int32_t first, int32_t last);
  void InvalidateAll();
  void NotifyCaret(int32_t previousRow);

  // ---- Input (text_view_input.cpp, text_view_input_edit.cpp) ----
  enum class DragState { Idle, Candidate, Dragging };
  // A text drag: from the press with Ctrl (candidate) past the threshold
  // (dragging) to the drop or its cancellation.
  struct Drag {
    DragState state = DragState::Idle;
    POINT press{};
    bool lineOnly = false;  // the caret line rather than the block
    int side = 0;           // where the text comes from
    int32_t firstRow = 0;   // its rows
    int32_t lastRow = 0;
    uint32_t start = 0;     // its bytes on side
    uint32_t end = 0;
    int targetSide = 0;     // where it would go now
    int32_t targetRow = 0;
    int drop = 0;           // 0 not allowed here, 1 allowed, 2 outside the pane
  };
  struct Clicks {
    int count = 0;  // 0, 1 or 2 presses counted so far
    DWORD time = 0;
    int32_t row = -1;
    int x = 0;
  };
  struct Cursors {
    HCURSOR gutter = nullptr;     // over a line-number gutter
    HCURSOR dropSame = nullptr;   // a drop that moves within the side
    HCURSOR dropOther = nullptr;  // a drop that copies to the other side
  };
  void RegisterInputHandlers(HandlerMaps& m);
  void RegisterEditHandlers(HandlerMaps& m);
  // Makes the window Unicode (typed characters arrive whole) and loads the
  // cursors; after the window exists.
  void InstallUnicodeInput();
  LRESULT OnKeyDown(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnKeyUp(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnLButtonDown(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMouseMove(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnLButtonUp(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnCaptureChanged(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMButtonDown(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnRButtonDown(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnContextMenu(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnInitMenuPopup(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMouseWheel(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnTimer(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnSetCursor(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnEditCommand(HWND, UINT, WPARAM, LPARAM);
  // Row ends of the active side: its start, and its end before the LF.
  uint32_t RowStart(int32_t row) const;
  uint32_t RowTextEnd(int32_t row) const;
  // The caret to an offset of the active side (its row found from it).
  void PlaceAt(uint32_t offset, bool extend);
  void SelectSpan(uint32_t anchor, uint32_t caret);
  // Rows first..last with their LFs; the caret at last's end (before
  // first's start when last < first).
  void SelectRows(int32_t first, int32_t last);
  void MoveByCharacter(bool right, bool extend);
  void MoveByWord(bool right, bool extend);
  void SelectWordAtCaret();
  // Keys that edit (Delete, Ctrl+A/C/V/X/E).
  void EditKey(UINT key, bool ctrl, bool shift);
  void DeleteForward();
  void Backspace();
  bool OnDivider(int x) const;
  int GutterSideAt(int x) const;  // -1 outside both gutters
  // The press at x, y counted: 1, 2 or 3.
  int CountClick(int x, int y);
  void ExtendSelectionTo(int x, int y);
  // The selection or the drop target after the mouse at lastMouse_.
  void FollowMouse();
  void UpdateAutoScroll(int y);
  void EndMouseModes();
  void ShowContextMenu(int side, POINT screen);
  CommandContext PaneCommandContext() const;
  // Text drag-and-drop.
  void StartTextDrag();
  void UpdateDropTarget(int x, int y);
  void DropDraggedText();
  void CancelTextDrag();
  HCURSOR DropCursor() const;
  void PaintDropMarker(HDC dc);
  void InvalidateDropMarker();

  Drag drag_;
  Clicks clicks_;
  Cursors cursors_;
  POINT lastMouse_{};
  bool dividerDrag_ = false;
  bool gutterSelect_ = false;
  int32_t gutterRow_ = 0;
  bool wordSelect_ = false;
  WordSpan word_;        // the double-clicked word
  int autoScroll_ = 0;   // 0 none, 1 up, 2 down
  bool ctrlKey_ = false;  // Ctrl was down at the last key press
  wchar_t highSurrogate_ = 0;

  HWND verticalBar_ = nullptr;
  HWND horizontalBar_[2] = {nullptr, nullptr};
  TextViewHost* host_ = nullptr;

  CompareDocument& doc_;
  CompareState& state_;  // doc_'s
  int activeSide_ = 0;
  uint32_t caretOffset_[2] = {0, 0};
  uint32_t anchor_ = 0;
  int32_t caretRow_ = 0;
  int32_t caretColumn_ = 0;
  int caretX_ = 0;  // from the text start, after horizontal scrolling
  int caretY_ = 0;
  int rememberedX_ = 0;  // caret x plus the horizontal scroll in pixels
  bool caretShown_ = false;
  bool overwrite_ = false;
  bool hasFocus_ = false;

  float ratio_ = 0.5f;
  int32_t topRow_ = 0;
  int32_t hscroll_[2] = {0, 0};
  int32_t longestLine_[2] = {0, 0};  // display columns
  int measuredTabStop_ = 0;          // the tab stop longestLine_ was measured with
  PaneGeometry geometry_;
  Saved saved_;

  std::unique_ptr<Fonts> fonts_;
  std::unique_ptr<BackBuffer> backBuffer_;
  int lineHeight_ = 16;
  int charWidth_ = 8;
  bool fixedPitch_ = true;
  int digitWidth_ = 8;
  int numberHeight_ = 14;
  int dpiX_ = 96;
  int dpiY_ = 96;
  int wheelDelta_ = 0;
  bool selecting_ = false;  // left button held after a click in the text
  // Inside one of the pane's own edits: the document's notifications wait
  // for FollowEdit. realignment_ collects what they reported.
  int editDepth_ = 0;
  int realignment_ = 0;
  // Holds the document's notices for the length of one of the pane's own
  // document calls; FollowEdit then follows once.
  class EditScope {
  public:
    explicit EditScope(TextView& view) : view_(view) {
      if (view_.editDepth_++ == 0) view_.realignment_ = 0;
    }
    ~EditScope() { --view_.editDepth_; }
    EditScope(const EditScope&) = delete;
    EditScope& operator=(const EditScope&) = delete;

  private:
    TextView& view_;
  };
  // While a comparison runs the worker owns the list and the layout fields:
  // a resize or a display change waits for FinishCompare.
  struct Deferred {
    bool size = false;
    bool display = false;
    int width = 0;
    int height = 0;
    DisplaySettings settings;  // with display: the snapshot that waits
  };
  Deferred deferred_;
  bool IsBusy() const;
  void RebuildDisplay();
  // What the pane draws and lays out with: written on the user-interface
  // thread only while no comparison runs, so the worker's layout never
  // sees it change and never reads Settings.
  DisplaySettings display_;
  // The two the layout reads most, taken from display_.
  int showLineNumbers_ = 2;
  bool wordWrap_ = false;
  // After a repeated comparison the caret offset is found again from the
  // remembered x once the window can measure (FinishCompare).
  bool caretFromX_ = false;
};

}  // namespace qm
