// TextView: showing a match of Find as a selection.
#include "textwin/text_view.h"

namespace qm {

void TextView::SelectInRow(int32_t row, uint32_t start, uint32_t end) {
  const DiffList& list = *state_.list;
  if (row < 0 || row >= list.RowCount()) return;
  // The row comes into view as a one-row difference would; the caret moves
  // then stay inside the view.
  ScrollBlockIntoView(list.BlockAt(row, false));
  MoveCaret(row, start, false, false);
  MoveCaret(row, end, true, false);
}

}  // namespace qm
