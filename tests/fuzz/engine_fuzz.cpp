// libFuzzer target over the comparison engine (configure with QM_FUZZ=ON
// and clang). The input is split into options, a left and a right text;
// every comparison must keep the list's invariants and give back both
// documents, and a LocalRecompare after an edit must as well. The same
// comparison under budgets too small for the exact searches must do so too,
// with a script exactly as short.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/compare_state.h"
#include "engine/line_search.h"

namespace {

using namespace qm;

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckList(const DiffList& list, const TextDoc* docs[2]) {
  Check(list.RowCount() >= 1);
  for (int side = 0; side < 2; ++side) {
    const TextDoc& doc = *docs[side];
    uint32_t expected = 0;
    int32_t line = 0;
    for (int32_t r = 0; r < list.RowCount(); ++r) {
      const DiffRow& row = list.Row(r);
      Check(row.Offset(side) == expected);
      expected = list.RowEnd(side, r, doc);
      Check(expected >= row.Offset(side));
      if (list.IsFiller(side, r)) {
        Check(row.Line(side) == -1 && expected == row.Offset(side));
      } else {
        Check(row.Line(side) == line++);
      }
    }
    Check(expected == doc.Length());
  }
}

void CheckList(const CompareState& state) {
  const TextDoc* docs[2] = {&state.side[0].doc, &state.side[1].doc};
  CheckList(*state.list, docs);
}

int64_t Edits(const DiffList& list) {
  int64_t edits = 0;
  for (int32_t r = 0; r < list.RowCount(); ++r) {
    const RowKind k = list.Kind(r);
    edits += k == RowKind::Changed ? 2 : (k == RowKind::Same ? 0 : 1);
  }
  return edits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  CompareSettings settings;
  CompareOptions& o = settings.options;
  o.IgnoreBlanks2 = data[0] & 15;
  o.IgnoreCase = data[0] & 16;
  o.CompareChanges = !(data[0] & 32);
  o.FragmentSize = data[1] % 5;
  o.MatchPercent = static_cast<int8_t>(data[2]);
  const uint32_t editAt = data[3] | (data[4] << 8);
  const uint8_t editByte = data[5];
  const std::string rest(reinterpret_cast<const char*>(data) + 6, size - 6);
  const size_t split = rest.find('\x01');
  const std::string left = rest.substr(0, split);
  const std::string right = split == std::string::npos ? rest : rest.substr(split + 1);

  CompareState state;
  state.side[0].doc.Insert(0, left.data(), static_cast<uint32_t>(left.size()));
  state.side[1].doc.Insert(0, right.data(), static_cast<uint32_t>(right.size()));
  CompareResult result;
  BuildDiffList(state, result, settings, nullptr);
  Check(result.code == CompareCode::Ok);
  CheckList(state);
  {
    static const int64_t kBudgets[] = {-1, 0, 1, 100};
    const int64_t budget = kBudgets[(data[1] >> 4) & 3];
    DiffList small;
    TextDoc& l = state.side[0].doc;
    TextDoc& r = state.side[1].doc;
    Check(RunDiffWithBudgetsForTesting(l, 0, l.Length(), r, 0, r.Length(), small, o, nullptr,
                                       {budget, budget})
              .code == CompareCode::Ok);
    small.NumberRows();
    const TextDoc* docs[2] = {&l, &r};
    CheckList(small, docs);
    Check(Edits(small) == Edits(*state.list));
  }

  // One typed byte, kept in step the way the text pane does it.
  const int side = editByte & 1;
  TextDoc& doc = state.side[side].doc;
  const uint32_t at = doc.Length() ? editAt % (doc.Length() + 1) : 0;
  const char typed = (editByte & 2) ? '\n' : static_cast<char>(editByte);
  const int32_t row = state.list->FindRowByOffset(side, at, 0);
  doc.Insert(at, &typed, 1);
  state.list->ShiftOffsets(side, row + 1, 1);
  LocalRecompare(state, row, row, o);
  CheckList(state);
  return 0;
}
