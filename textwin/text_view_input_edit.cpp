// TextView: input that edits — typed characters, Backspace, Delete, the
// Ctrl keys that edit, the clipboard and text drag-and-drop. Every change
// goes through the edit glue (text_view_edit.cpp) and so through the
// document: one undo step each, a read-only side refused there.
#include <windowsx.h>

#include <algorithm>
#include <new>
#include <string>

#include "app/settings.h"
#include "common/utf8.h"
#include "controls/code_page.h"
#include "controls/message_box.h"
#include "resources/resource.h"
#include "textwin/text_view.h"
#include "textwin/text_view_internal.h"
#include "textwin/word_moves.h"

namespace qm {

namespace {

constexpr COLORREF kDropAllowedColor = RGB(0, 0, 0);
constexpr COLORREF kDropRefusedColor = RGB(0xA0, 0xA0, 0xA0);

// The clipboard, open for as long as the object lives.
class OpenedClipboard {
public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool open() const { return open_; }

private:
  bool open_;
};

// A movable global block holding size bytes of data; null when memory ran out.
HGLOBAL GlobalCopy(const void* data, size_t size) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!handle) return nullptr;
  void* target = GlobalLock(handle);
  if (!target) {
    GlobalFree(handle);
    return nullptr;
  }
  memcpy(target, data, size);
  GlobalUnlock(handle);
  return handle;
}

// Clipboard text from the pane's: each LF as CR LF, each NUL as a space.
std::wstring ClipboardForm(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 16 + 1);
  for (wchar_t c : text) {
    if (c == L'\n') out += L'\r';
    out += c == L'\0' ? L' ' : c;
  }
  return out;
}

// The pane's text from the clipboard's: each CR LF as LF (a lone CR stays).
std::wstring PaneForm(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    out += text[i];
  }
  return out;
}

// The text of a clipboard block, up to its terminator or its size.
template <class Char>
std::basic_string<Char> LockedText(HANDLE handle) {
  const auto* data = static_cast<const Char*>(GlobalLock(handle));
  if (!data) return {};
  const size_t limit = GlobalSize(handle) / sizeof(Char);
  size_t length = 0;
  while (length < limit && data[length]) ++length;
  std::basic_string<Char> text(data, length);
  GlobalUnlock(handle);
  return text;
}

// What the clipboard holds as text; false when it could not be read.
bool ReadClipboardText(HWND owner, std::wstring* text) {
  OpenedClipboard clipboard(owner);
  if (!clipboard.open()) return false;
  if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    HANDLE handle = GetClipboardData(CF_UNICODETEXT);
    if (!handle) return false;
    *text = LockedText<wchar_t>(handle);
    return true;
  }
  if (IsClipboardFormatAvailable(CF_TEXT)) {
    HANDLE handle = GetClipboardData(CF_TEXT);
    if (!handle) return false;
    const std::string bytes = LockedText<char>(handle);
    text->clear();
    if (bytes.empty()) return true;
    // Another program's single-byte text is in the system's code page.
    const int count = MultiByteToWideChar(LegacyCodePage(), 0, bytes.data(),
                                          static_cast<int>(bytes.size()), nullptr, 0);
    text->resize(static_cast<size_t>(count));
    MultiByteToWideChar(LegacyCodePage(), 0, bytes.data(), static_cast<int>(bytes.size()),
                        text->data(), count);
    return true;
  }
  text->clear();
  return true;
}

// Puts text on the clipboard as CF_UNICODETEXT and CF_TEXT (the system's
// code page). False when the clipboard could not be opened or memory ran out.
bool WriteClipboardText(HWND owner, const std::wstring& text) {
  const std::wstring wide = ClipboardForm(text);
  const UINT codePage = LegacyCodePage();
  const int count = wide.empty() ? 0
                                 : WideCharToMultiByte(codePage, 0, wide.data(),
                                                       static_cast<int>(wide.size()), nullptr, 0,
                                                       nullptr, nullptr);
  std::string narrow(static_cast<size_t>(count), '\0');
  if (count > 0)
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(),
                        count, nullptr, nullptr);
  HGLOBAL unicode = GlobalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  HGLOBAL ansi = GlobalCopy(narrow.c_str(), narrow.size() + 1);
  if (!unicode || !ansi) {
    if (unicode) GlobalFree(unicode);
    if (ansi) GlobalFree(ansi);
    return false;
  }
  OpenedClipboard clipboard(owner);
  if (!clipboard.open() || !EmptyClipboard()) {
    GlobalFree(unicode);
    GlobalFree(ansi);
    return false;
  }
  // The clipboard owns a block once it took it.
  if (!SetClipboardData(CF_UNICODETEXT, unicode)) GlobalFree(unicode);
  if (!SetClipboardData(CF_TEXT, ansi)) GlobalFree(ansi);
  return true;
}

std::wstring Utf16Of(uint32_t code) {
  if (code < 0x10000) return std::wstring(1, static_cast<wchar_t>(code));
  code -= 0x10000;
  return {static_cast<wchar_t>(0xD800 + (code >> 10)), static_cast<wchar_t>(0xDC00 + (code & 0x3FF))};
}

}  // namespace

void TextView::RegisterEditHandlers(HandlerMaps& m) {
  for (UINT id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE, ID_EDIT_SELECT_ALL,
                  ID_MERGE_CLIP_LINE, ID_MERGE_CLIP_BLOCK})
    m.OnCommand(id, Bind(this, &TextView::OnEditCommand));
}

LRESULT TextView::OnEditCommand(HWND, UINT, WPARAM wParam, LPARAM) {
  switch (LOWORD(wParam)) {
    case ID_EDIT_CUT: CutSelection(); break;
    case ID_EDIT_COPY: CopySelection(); break;
    case ID_EDIT_PASTE: PasteClipboard(); break;
    case ID_EDIT_DELETE: DeleteForward(); break;
    case ID_EDIT_SELECT_ALL: SelectAll(); break;
    case ID_MERGE_CLIP_LINE: CopyBlockToClipboard(true); break;
    case ID_MERGE_CLIP_BLOCK: CopyBlockToClipboard(false); break;
    default: break;
  }
  return 0;
}

// ---- Keys and characters ----

void TextView::EditKey(UINT key, bool ctrl, bool shift) {
  if (key == VK_DELETE) {
    if (!ctrl && !shift) DeleteForward();
    return;
  }
  if (!ctrl) return;
  switch (key) {
    case 'A': SelectAll(); break;
    case 'C': CopySelection(); break;
    case 'V': PasteClipboard(); break;
    case 'X': CutSelection(); break;
    case 'E': {
      if (IsReadOnly(activeSide_)) break;
      const DiffList& list = *state_.list;
      if (list.IsFiller(activeSide_, caretRow_)) break;
      if (shift) {
        // From the caret to the row's end; the LF stays.
        const uint32_t end = RowTextEnd(caretRow_);
        if (caretOffset_[activeSide_] < end) DeleteRange(caretOffset_[activeSide_], end);
      } else {
        const uint32_t end = list.RowEnd(activeSide_, caretRow_, state_.side[activeSide_].doc);
        if (RowStart(caretRow_) < end) DeleteRange(RowStart(caretRow_), end);
      }
      break;
    }
    default: break;
  }
}

void TextView::DeleteForward() {
  if (IsReadOnly(activeSide_)) return;
  if (HasSelection()) {
    DeleteSelection();
    return;
  }
  if (state_.list->IsFiller(activeSide_, caretRow_)) {
    MoveByCharacter(true, false);
    return;
  }
  const TextDoc& doc = state_.side[activeSide_].doc;
  const uint32_t caret = caretOffset_[activeSide_];
  if (caret >= doc.Length()) return;
  const uint32_t end = RowTextEnd(caretRow_);
  uint32_t next = caret + 1;  // the LF
  if (caret < end) {
    // The whole character the caret stands before, marks and all.
    const DocChars text(doc, IsUtf8(activeSide_) ? nullptr : LegacyCharTable());
    next = text.NextStart(caret);
    while (next < end && CharStart(activeSide_, caretRow_, next) <= caret) next = text.NextStart(next);
    next = std::min(next, end);
  }
  DeleteRange(caret, next);
}

void TextView::Backspace() {
  if (IsReadOnly(activeSide_)) return;
  if (HasSelection()) {
    DeleteSelection();
    return;
  }
  const uint32_t caret = caretOffset_[activeSide_];
  if (caret == 0) return;
  if (caret == RowStart(caretRow_) && caretRow_ > 0 &&
      state_.list->IsFiller(activeSide_, caretRow_ - 1)) {
    MoveByCharacter(false, false);
    return;
  }
  const DocChars text(state_.side[activeSide_].doc, IsUtf8(activeSide_) ? nullptr : LegacyCharTable());
  DeleteRange(text.PreviousStart(caret), caret);
}

void TextView::TypeUtf16(wchar_t unit, int repeat) {
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    highSurrogate_ = unit;  // the low half follows in the next message
    return;
  }
  uint32_t code = unit;
  if (unit >= 0xDC00 && unit <= 0xDFFF) {
    if (!highSurrogate_) return;  // half a character is none
    code = 0x10000 + ((static_cast<uint32_t>(highSurrogate_) - 0xD800) << 10) + (unit - 0xDC00);
  }
  highSurrogate_ = 0;
  TypeCodePoint(code, repeat);
}

void TextView::TypeCodePoint(uint32_t code, int repeat) {
  if (drag_.state == DragState::Dragging) return;
  if (ctrlKey_) {
    // Ctrl+[ and Ctrl+] are the copy commands; the compare window decides
    // whether they may run.
    if (code == 27 || code == 29)
      SendMessageA(GetParent(hwnd()), WM_COMMAND,
                   MAKEWPARAM(code == 27 ? ID_MERGE_COPY_LEFT : ID_MERGE_COPY_RIGHT, 0), 0);
    return;
  }
  if (code == '\n' || code == 27) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  if (code > 0x10FFFF) return;
  repeat = std::max(1, repeat);
  for (int i = 0; i < repeat; ++i) {
    if (code == '\b') {
      Backspace();
      continue;
    }
    if (IsReadOnly(activeSide_)) return;
    bool lossy = false;
    const std::string bytes =
        code == '\r' ? std::string("\n") : BytesForSide(activeSide_, Utf16Of(code), &lossy);
    if (lossy) {
      // A character the side's single-byte code page cannot hold is not
      // typed as a "?" that would be saved in its place.
      MessageBeep(static_cast<UINT>(-1));
      return;
    }
    if (bytes.empty()) return;
    const TextDoc& doc = state_.side[activeSide_].doc;
    const uint32_t caret = caretOffset_[activeSide_];
    const bool overwrite = IsOverwrite() && code != '\r' && !HasSelection() &&
                           caret < doc.Length() && doc.ByteAt(caret) != '\n';
    if (!(overwrite ? OverwriteAtCaret(bytes) : InsertAtCaret(bytes))) return;
  }
}

// ---- Clipboard ----

bool TextView::CopySelection() {
  if (!HasSelection()) return false;
  try {
    if (WriteClipboardText(hwnd(), WideFromSide(activeSide_, SelectedText()))) return true;
  } catch (const std::bad_alloc&) {
  }
  ShowOutOfMemoryMessage();
  return false;
}

bool TextView::CutSelection() {
  if (!HasSelection() || IsReadOnly(activeSide_)) return false;
  return CopySelection() && DeleteSelection();
}

bool TextView::PasteClipboard() {
  if (IsReadOnly(activeSide_)) return false;
  try {
    std::wstring text;
    if (!ReadClipboardText(hwnd(), &text)) {
      ShowOutOfMemoryMessage();
      return false;
    }
    const std::string bytes = BytesForSide(activeSide_, PaneForm(text));
    return !bytes.empty() && InsertAtCaret(bytes);
  } catch (const std::bad_alloc&) {
    ShowOutOfMemoryMessage();
    return false;
  }
}

bool TextView::CopyBlockToClipboard(bool lineOnly) {
  try {
    const std::string bytes = BlockText(lineOnly);
    if (bytes.empty()) return false;
    if (WriteClipboardText(hwnd(), WideFromSide(activeSide_, bytes))) return true;
  } catch (const std::bad_alloc&) {
  }
  ShowOutOfMemoryMessage();
  return false;
}

// ---- Text drag-and-drop ----

void TextView::StartTextDrag() {
  const DiffBlock block = state_.list->BlockAt(caretRow_, !drag_.lineOnly);
  drag_.state = DragState::Dragging;
  drag_.side = activeSide_;
  drag_.firstRow = block.firstRow;
  drag_.lastRow = block.lastRow;
  drag_.start = activeSide_ == 0 ? block.leftStart : block.rightStart;
  drag_.end = activeSide_ == 0 ? block.leftEnd : block.rightEnd;
  drag_.targetSide = activeSide_;
  drag_.targetRow = caretRow_;
  drag_.drop = 0;
  ShowCaret();  // hides it: no caret while dragging
  InvalidateRows(activeSide_, caretRow_, caretRow_);  // the caret box goes
}

void TextView::InvalidateDropMarker() {
  if (drag_.state != DragState::Dragging || drag_.drop == 2 || !hwnd()) return;
  const SideGeometry& g = geometry_.side[drag_.targetSide];
  const int y = (drag_.targetRow - topRow_) * lineHeight_;
  RECT rect{g.left, y - 1, g.right, y + 2};
  InvalidateRect(hwnd(), &rect, FALSE);
}

void TextView::UpdateDropTarget(int x, int y) {
  InvalidateDropMarker();
  if (x < 0 || x >= geometry_.width) {
    drag_.drop = 2;
  } else {
    const int side = x > geometry_.split ? 1 : 0;
    int32_t row = topRow_ + (y + lineHeight_ / 2) / std::max(1, lineHeight_);
    row = std::clamp<int32_t>(row, topRow_, topRow_ + geometry_.visibleRows);
    row = std::clamp<int32_t>(row, 0, state_.list->RowCount());
    drag_.targetSide = side;
    drag_.targetRow = row;
    const bool ownRows = side == drag_.side && row >= drag_.firstRow && row <= drag_.lastRow + 1;
    drag_.drop = !IsReadOnly(side) && !ownRows ? 1 : 0;
  }
  InvalidateDropMarker();
  SetCursor(DropCursor());
}

HCURSOR TextView::DropCursor() const {
  if (drag_.drop == 2) return LoadCursor(nullptr, IDC_NO);
  if (drag_.drop == 1) {
    HCURSOR cursor = drag_.targetSide == drag_.side ? cursors_.dropSame : cursors_.dropOther;
    if (cursor) return cursor;
  }
  return LoadCursor(nullptr, IDC_ARROW);
}

void TextView::PaintDropMarker(HDC dc) {
  if (drag_.state != DragState::Dragging || drag_.drop == 2) return;
  const SideGeometry& g = geometry_.side[drag_.targetSide];
  const int y = (drag_.targetRow - topRow_) * lineHeight_;
  const bool allowed = drag_.drop == 1;
  GdiObject<HPEN> pen(CreatePen(allowed ? PS_SOLID : PS_DOT, 1,
                                allowed ? kDropAllowedColor : kDropRefusedColor));
  SelectScope select(dc, pen.get());
  const int mode = SetBkMode(dc, TRANSPARENT);
  MoveToEx(dc, g.left, y, nullptr);
  LineTo(dc, g.right, y);
  SetBkMode(dc, mode);
}

void TextView::CancelTextDrag() {
  if (drag_.state == DragState::Idle) return;
  InvalidateDropMarker();
  drag_ = Drag();
  EndMouseModes();
  if (GetCapture() == hwnd()) ReleaseCapture();
  InvalidateRows(activeSide_, caretRow_, caretRow_);
  UpdateCaretPixels();
  ShowCaret();
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void TextView::DropDraggedText() {
  const Drag drag = drag_;
  InvalidateDropMarker();
  drag_ = Drag();
  InvalidateRows(activeSide_, caretRow_, caretRow_);
  UpdateCaretPixels();
  ShowCaret();
  if (drag.drop == 2) {
    // Dropped outside the window: the dragged text goes, if the user wants
    // that and the side may change.
    if (Settings.DropDelete && !IsReadOnly(activeSide_)) DeleteBlock(drag.lineOnly);
    return;
  }
  if (drag.drop != 1 || drag.end <= drag.start) return;
  const TextDoc& source = state_.side[drag.side].doc;
  std::string text;
  try {
    auto bytes = source.CopyRange(drag.start, drag.end);
    text.assign(bytes.get(), drag.end - drag.start);
  } catch (const std::bad_alloc&) {
    ShowOutOfMemoryMessage();
    return;
  }
  const DiffList& list = *state_.list;
  const TextDoc& target = state_.side[drag.targetSide].doc;
  uint32_t offset = drag.targetRow < list.RowCount() ? list.Row(drag.targetRow).Offset(drag.targetSide)
                                                    : target.Length();
  int64_t moveFrom = -1;
  uint32_t caret = offset;
  if (drag.targetSide == drag.side) {
    moveFrom = drag.start;
    if (offset >= drag.end) offset -= drag.end - drag.start;
  } else if (offset == target.Length() && offset > 0 && target.ByteAt(offset - 1) != '\n') {
    // After a last line without an LF the dropped text starts a line of its own.
    text.insert(text.begin(), '\n');
    ++caret;
  }
  if (!CanEdit(drag.targetSide)) return;
  // The document's notice waits until the pane follows, as for every edit
  // of the pane's own.
  bool done = false;
  {
    EditScope scope(*this);
    done = doc_.DropText(drag.targetSide, offset, text, moveFrom, CaretForRecord());
  }
  if (!done) return;
  const uint32_t end = offset + static_cast<uint32_t>(text.size()) + (text.back() == '\n' ? 0 : 1);
  FollowEdit(drag.targetSide, caret, caret, drag.targetSide, offset, end);
}

}  // namespace qm
