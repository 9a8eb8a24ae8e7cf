// The text pane's edits: typing, deleting, merges, replacing a side, undo
// and redo. The document changes the text and re-aligns the rows; the pane
// only says where its caret stands before an edit and follows after it:
// the caret's row is found again from its offset (rows may have come and
// gone), the edited lines are measured for the horizontal range, and the
// pane repaints as much as the re-alignment reported.
#include <windows.h>

#include <algorithm>

#include "controls/code_page.h"
#include "controls/message_box.h"
#include "textwin/text_view.h"

namespace qm {
namespace {

std::string TextOf(const TextDoc& doc, uint32_t start, uint32_t end) {
  std::string text;
  end = std::min(end, doc.Length());
  if (end > start) {
    text.resize(end - start);
    doc.CopyOut(start, end, text.data());
  }
  return text;
}

}  // namespace

bool TextView::CanEdit(int side) const {
  return !IsBusy() && doc_.IsLoaded(side) && !doc_.IsReadOnly(side);
}

CaretPlace TextView::CaretForRecord() const {
  return CaretPlace{activeSide_, caretOffset_[activeSide_], anchor_};
}

void TextView::FollowEdit(int side, uint32_t caret, uint32_t anchor, int spanSide,
                          uint32_t spanStart, uint32_t spanEnd) {
  const DiffList& list = *state_.list;
  const int32_t previousRow = caretRow_;
  // A selection or an active side that goes away may span rows the edit
  // did not touch: those need a whole repaint.
  const bool wholeRepaint = side != activeSide_ || anchor_ != caretOffset_[activeSide_];
  for (int s = 0; s < 2; ++s)
    caretOffset_[s] = std::min(caretOffset_[s], state_.side[s].doc.Length());
  const uint32_t length = state_.side[side].doc.Length();
  caret = std::min(caret, length);
  anchor = std::min(anchor, length);
  activeSide_ = side;
  const int32_t hint = std::clamp<int32_t>(caretRow_, 0, list.RowCount() - 1);
  const int32_t row = list.FindRowByOffset(side, caret, hint);

  int realignment = realignment_;
  realignment_ = 0;
  // The text changed but the rows around it could not be compared again:
  // said once the pane stands on the new text.
  const bool outOfMemory = realignment == kRecompareOutOfMemory;
  if (outOfMemory) realignment = 2;
  bool wider = false;
  int32_t first = row;
  int32_t last = row;
  if (spanSide >= 0) {
    first = list.FindRowByOffset(spanSide, spanStart, row);
    last = list.FindRowByOffset(spanSide, std::max(spanStart, spanEnd), first);
  }
  wider = WidenLongestLines(first, last);
  Layout();  // the row count, gutter width and scroll limits may have changed
  SetCaretFields(row, caret, true);
  anchor_ = CharStart(side, list.FindRowByOffset(side, anchor, row), anchor);
  rememberedX_ = PixelOf(activeSide_, caretRow_, caretOffset_[activeSide_]);
  if (realignment == 2 || wider) UpdateScrollBars();
  ScrollCaretIntoView();
  if (realignment == 0 && !wider && !wholeRepaint) {
    // Nothing moved and no highlight changed: only the edited rows and the
    // caret's old and new row look different (typing stays cheap).
    InvalidateRows(-1, first, last);
    InvalidateRows(-1, previousRow, previousRow);
    InvalidateRows(-1, caretRow_, caretRow_);
  } else {
    InvalidateAll();
  }
  UpdateCaretPixels();
  ShowCaret();
  if (host_) {
    host_->OnContentChanged();
    host_->OnCaretMoved(previousRow != caretRow_);
  }
  if (outOfMemory) ShowOutOfMemoryMessage();
}

void TextView::FollowOutsideEdit() {
  FollowEdit(activeSide_, caretOffset_[activeSide_], anchor_);
}

bool TextView::InsertAtCaret(const std::string& bytes) {
  const int side = activeSide_;
  if (!CanEdit(side) || bytes.empty()) return false;
  const uint32_t caret = caretOffset_[side];
  const uint32_t start = std::min(caret, anchor_);
  const uint32_t count = std::max(caret, anchor_) - start;
  bool done = false;
  {
    EditScope scope(*this);
    done = count > 0 ? doc_.ReplaceRange(side, start, count, bytes, CaretForRecord())
                     : doc_.InsertText(side, start, bytes, CaretForRecord());
  }
  if (!done) return false;
  const uint32_t end = start + static_cast<uint32_t>(bytes.size());
  FollowEdit(side, end, end, side, start, end);
  return true;
}

bool TextView::OverwriteAtCaret(const std::string& character) {
  const int side = activeSide_;
  if (!CanEdit(side) || character.empty()) return false;
  const uint32_t caret = caretOffset_[side];
  const TextDoc& doc = state_.side[side].doc;
  if (caret >= doc.Length()) return false;
  // The character under the caret: one byte on a legacy side, a whole
  // UTF-8 sequence otherwise.
  uint32_t count = 1;
  if (IsUtf8(side)) {
    while (caret + count < doc.Length() && (doc.ByteAt(caret + count) & 0xC0) == 0x80) ++count;
  }
  bool done = false;
  {
    EditScope scope(*this);
    done = doc_.OverwriteChar(side, caret, count, character, CaretForRecord());
  }
  if (!done) return false;
  const uint32_t end = caret + static_cast<uint32_t>(character.size());
  FollowEdit(side, end, end, side, caret, end);
  return true;
}

bool TextView::DeleteRange(uint32_t from, uint32_t to) {
  const int side = activeSide_;
  if (!CanEdit(side)) return false;
  if (from > to) std::swap(from, to);
  to = std::min(to, state_.side[side].doc.Length());
  if (from >= to) return false;
  bool done = false;
  {
    EditScope scope(*this);
    done = doc_.DeleteText(side, from, to - from, CaretForRecord());
  }
  if (!done) return false;
  FollowEdit(side, from, from, side, from, from);
  return true;
}

bool TextView::DeleteSelection() {
  return HasSelection() && DeleteRange(anchor_, caretOffset_[activeSide_]);
}

std::string TextView::SelectedText() const {
  const uint32_t caret = caretOffset_[activeSide_];
  return TextOf(state_.side[activeSide_].doc, std::min(caret, anchor_), std::max(caret, anchor_));
}

std::string TextView::BlockText(bool lineOnly) const {
  const DiffBlock block = state_.list->BlockAt(caretRow_, !lineOnly);
  return TextOf(state_.side[activeSide_].doc, block.Start(activeSide_), block.End(activeSide_));
}

bool TextView::CanCopyTo(int toSide) const {
  return CanEdit(toSide) && doc_.IsLoaded(1 - toSide) && doc_.CanCopy(toSide, caretRow_);
}

bool TextView::CanDeleteBlock() const {
  return CanEdit(activeSide_) && doc_.CanDelete(activeSide_, caretRow_);
}

bool TextView::CopyBlock(int toSide, bool lineOnly) {
  if (!CanCopyTo(toSide)) return false;
  const DiffBlock block = state_.list->BlockAt(caretRow_, !lineOnly);
  const uint32_t position = block.Start(toSide);
  const uint32_t oldLength = state_.side[toSide].doc.Length();
  const uint32_t replaced = block.kind == RowKind::Changed ? block.End(toSide) - position : 0;
  const int active = activeSide_;
  const uint32_t activeCaret = caretOffset_[active];
  const uint32_t activeAnchor = anchor_;
  bool done = false;
  {
    EditScope scope(*this);
    done = lineOnly ? doc_.CopyLine(toSide, caretRow_, CaretForRecord())
                    : doc_.CopyDifference(toSide, caretRow_, CaretForRecord());
  }
  if (!done) return false;
  const uint32_t inserted = state_.side[toSide].doc.Length() + replaced - oldLength;
  if (active == toSide) {
    // The caret stays at the start of what arrived.
    FollowEdit(toSide, position, position, toSide, position, position + inserted);
  } else {
    FollowEdit(active, activeCaret, activeAnchor, toSide, position, position + inserted);
  }
  return true;
}

bool TextView::DeleteBlock(bool lineOnly) {
  if (!CanDeleteBlock()) return false;
  const int side = activeSide_;
  const DiffBlock block = state_.list->BlockAt(caretRow_, !lineOnly);
  const uint32_t start = block.Start(side);
  bool done = false;
  {
    EditScope scope(*this);
    done = lineOnly ? doc_.DeleteLine(side, caretRow_, CaretForRecord())
                    : doc_.DeleteDifference(side, caretRow_, CaretForRecord());
  }
  if (!done) return false;
  FollowEdit(side, start, start, side, start, start);
  return true;
}

uint32_t TextView::ReplaceSide(int side, const CompareDocument::SideWriter& write) {
  if (!CanEdit(side) || !doc_.IsLoaded(1 - side)) return kErrorAccessDenied;
  // The pane starts over as soon as the document reports the new rows
  // (OnDocumentChanged), before the write may show a message.
  EditScope scope(*this);
  return doc_.ReplaceSide(side, write);
}

void TextView::StartOverAfterReplace(int side) {
  activeSide_ = side;
  caretOffset_[0] = caretOffset_[1] = 0;
  anchor_ = 0;
  caretRow_ = 0;
  topRow_ = 0;
  hscroll_[0] = hscroll_[1] = 0;
  realignment_ = 0;
  MeasureLongestLines();
  Layout();
  SetCaretFields(0, 0, false);
  rememberedX_ = 0;
  RefreshView();
  if (host_) {
    host_->OnContentChanged();
    host_->OnCaretMoved(true);
  }
}

bool TextView::Undo() {
  if (IsBusy()) return false;
  EditOutcome outcome;
  {
    EditScope scope(*this);
    outcome = doc_.Undo();
  }
  if (!outcome.done) return false;
  FollowEdit(outcome.activeSide, outcome.caret, outcome.anchor, outcome.editedSide,
             outcome.position, outcome.end);
  return true;
}

bool TextView::Redo() {
  if (IsBusy()) return false;
  EditOutcome outcome;
  {
    EditScope scope(*this);
    outcome = doc_.Redo();
  }
  if (!outcome.done) return false;
  if (outcome.activeSide == outcome.editedSide) {
    // The caret goes where typing it again would have left it.
    FollowEdit(outcome.editedSide, outcome.end, outcome.end, outcome.editedSide,
               outcome.position, outcome.end);
  } else {
    FollowEdit(outcome.activeSide, outcome.caret, outcome.anchor, outcome.editedSide,
               outcome.position, outcome.end);
  }
  return true;
}

std::string TextView::BytesForSide(int side, const std::wstring& text, bool* lossy) const {
  if (lossy) *lossy = false;
  if (IsUtf8(side)) return Utf8FromWide(text.data(), text.size());
  if (text.empty()) return std::string();
  // The legacy code page has no place for some characters: they become "?".
  const UINT codePage = LegacyCodePage();
  const int wide = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(codePage, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string bytes(static_cast<size_t>(size), '\0');
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), wide, bytes.data(), size,
                      nullptr, &usedDefault);
  if (lossy) *lossy = usedDefault != FALSE;
  return bytes;
}

std::wstring TextView::WideFromSide(int side, const std::string& bytes) const {
  if (IsUtf8(side)) return WideFromUtf8(bytes);
  // The same table the pane draws a legacy side with.
  const wchar_t* table = LegacyCharTable();
  std::wstring text;
  text.reserve(bytes.size());
  for (unsigned char byte : bytes) text.push_back(table[byte]);
  return text;
}

}  // namespace qm
