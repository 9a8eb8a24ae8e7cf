// libFuzzer target over the comparison engine (configure with QM_FUZZ=ON
// and clang). The input is split into options, a left and a right text;
// every comparison must keep the list's invariants and give back both
// documents, and a LocalRecompare after an edit must as well.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/compare_state.h"

namespace {

using namespace qm;

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckList(const CompareState& state) {
  const DiffList& list = *state.list;
  Check(list.RowCount() >= 1);
  for (int side = 0; side < 2; ++side) {
    const TextDoc& doc = state.side[side].doc;
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
