// TextView: showing a match of Find as a selection.
#include "textwin/text_view.h"

namespace qm {

void TextView::SelectInRow(int32_t row, uint32_t start, uint32_t end) {
  const DiffList& list = *state_.list;
  if (row < 0 || row >= list.RowCount()) return;
  const int side = activeSide_;
  const TextDoc& doc = state_.side[side].doc;
  // A match that takes the row's LF ends where the next line starts: the
  // caret goes there, on that line's row, as after selecting a whole line;
  // after the last row's LF there is no line, and the match stops before it.
  int32_t caretRow = row;
  if (end > list.Row(row).Offset(side) + list.RowTextLength(side, row, doc)) {
    if (row + 1 < list.RowCount())
      caretRow = list.FindRowByOffset(side, end, row + 1);
    else
      end = list.Row(row).Offset(side) + list.RowTextLength(side, row, doc);
  }
  // The row comes into view as a one-row difference would; the caret moves
  // then stay inside the view.
  ScrollBlockIntoView(list.BlockAt(row, false));
  MoveCaret(row, start, false, false);
  MoveCaret(caretRow, end, true, false);
}

}  // namespace qm
